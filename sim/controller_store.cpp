// CControllerStore: the simulated memory loaded from, and saved to, its store folder.
#include "sim/controller_store.h"

#include "link/port_names.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/file_error.h"
#include "sim/file_descriptor.h"
#include "sim/sample_programs.h"
#include "sim/sim_messages.h"

namespace fs = std::filesystem;

namespace {

constexpr char DESCRIPTOR_FILE[] = "descriptor.bin";
constexpr char GENERAL_FILE[] = "general.bin";
constexpr char AXES_FILE[] = "axes.bin";
constexpr char STORE_SUBFOLDER[] = "/sim";
constexpr char TEMP_SUFFIX[] = ".XXXXXX";
constexpr std::size_t FILE_NAME_SIZE = 32;

std::vector<ChangedUnit> AllUnits()
{
    std::vector<ChangedUnit> units{{StoreUnit::Descriptor, {}},
                                   {StoreUnit::GeneralParams, {}},
                                   {StoreUnit::AxisParams, {}}};
    for (unsigned n = 1; n <= PROGRAM_COUNT; ++n)
        units.push_back({StoreUnit::Program, {LinkFile::Program, n}});
    for (unsigned n = 1; n <= SUBPROGRAM_COUNT; ++n)
        units.push_back({StoreUnit::Program, {LinkFile::Subprogram, n}});
    return units;
}

std::span<const std::uint8_t> UnitBytes(const CControllerModel& model, const ChangedUnit& unit)
{
    switch (unit.unit) {
    case StoreUnit::Descriptor: return model.Descriptor().bytes;
    case StoreUnit::GeneralParams: return model.GeneralParams();
    case StoreUnit::AxisParams: return model.AxisParams();
    case StoreUnit::Program: return model.ProgramArea(unit.program);
    }
    return {};
}

std::string SystemError()
{
    return SystemErrorReason(errno);
}

// Replaces folder/name with `bytes`: temporary file in the same folder,
// fsync, rename. A crash leaves the old file or the new one, never half.
bool WriteAtomically(const std::string& folder, const std::string& name,
                     std::span<const std::uint8_t> bytes, std::string& error)
{
    std::string temp = folder + "/." + name + TEMP_SUFFIX;
    CFileDescriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.IsOpen()) {
        error = SimMsg::StoreFileNotWritten(folder, SystemError());
        return false;
    }
    bool ok = true;
    while (ok && !bytes.empty()) {
        const ssize_t put = ::write(fd.Get(), bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR)
            continue;
        ok = put > 0;
        if (ok)
            bytes = bytes.subspan(static_cast<std::size_t>(put));
    }
    ok = ok && ::fsync(fd.Get()) == 0;
    const std::string target = folder + "/" + name;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        error = SimMsg::StoreFileNotWritten(target, SystemError());
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

// Reads folder/name, which must hold exactly `size` bytes.
bool ReadExactly(const std::string& folder, const std::string& name, std::size_t size,
                 std::vector<std::uint8_t>& bytes, std::string& error)
{
    const std::string path = folder + "/" + name;
    std::error_code ec;
    const auto actual = fs::file_size(path, ec);
    if (ec) {
        error = SimMsg::StoreDamaged(folder, name, SystemErrorReason(ec.value()));
        return false;
    }
    if (actual != size) {
        error = SimMsg::StoreDamaged(folder, name, SimMsg::WrongSize(actual, size));
        return false;
    }
    bytes.assign(size, 0);
    std::ifstream in(path, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        error = SimMsg::StoreFileNotRead(path);
        return false;
    }
    return true;
}

std::size_t UnitSize(const ControllerInfo& info, const ChangedUnit& unit)
{
    switch (unit.unit) {
    case StoreUnit::Descriptor: return ControllerInfo::ROOM;
    case StoreUnit::GeneralParams: return info.generalParamSize();
    case StoreUnit::AxisParams: return std::size_t{info.axisCount()} * info.axisParamSize();
    case StoreUnit::Program:
        return std::size_t{CControllerModel::SlotCount(unit.program.kind)} *
               CControllerModel::SLOT_SIZE;
    }
    return 0;
}

bool PutUnit(CControllerModel& model, const ChangedUnit& unit, std::span<const std::uint8_t> bytes)
{
    switch (unit.unit) {
    case StoreUnit::Descriptor: return false; // the model is built from it
    case StoreUnit::GeneralParams: return model.SetGeneralParams(bytes);
    case StoreUnit::AxisParams: return model.SetAxisParams(bytes);
    case StoreUnit::Program: return model.SetProgramArea(unit.program, bytes);
    }
    return false;
}

} // namespace

std::string CControllerStore::DefaultFolder()
{
    return AppDataFolder() + STORE_SUBFOLDER;
}

std::string CControllerStore::FileName(const ChangedUnit& unit)
{
    switch (unit.unit) {
    case StoreUnit::Descriptor: return DESCRIPTOR_FILE;
    case StoreUnit::GeneralParams: return GENERAL_FILE;
    case StoreUnit::AxisParams: return AXES_FILE;
    case StoreUnit::Program: break;
    }
    char name[FILE_NAME_SIZE];
    std::snprintf(name, sizeof name, "%s-%02u.bin",
                  unit.program.kind == LinkFile::Subprogram ? "subprogram" : "program",
                  unit.program.number);
    return name;
}

bool CControllerStore::Save(const CControllerModel& model, const ChangedUnit& unit,
                            std::string& error) const
{
    return WriteAtomically(m_folder, FileName(unit), UnitBytes(model, unit), error);
}

bool CControllerStore::SaveSeeded(const CControllerModel& model, std::string& error) const
{
    for (const ChangedUnit& unit : AllUnits())
        if ((unit.unit != StoreUnit::Program || model.ProgramSize(unit.program) > 0) &&
            !Save(model, unit, error))
            return false;
    return true;
}

bool CControllerStore::SaveDescriptor(const CControllerModel& model, std::string& error) const
{
    // The blocks first: the descriptor that gives their sizes goes last.
    for (const StoreUnit u : {StoreUnit::GeneralParams, StoreUnit::AxisParams, StoreUnit::Descriptor})
        if (!Save(model, {u, {}}, error))
            return false;
    return true;
}

bool CControllerStore::Reload(CControllerModel& model, const ChangedUnit& unit,
                              std::string& error) const
{
    std::vector<std::uint8_t> bytes;
    if (!ReadExactly(m_folder, FileName(unit), UnitSize(model.Descriptor(), unit), bytes, error))
        return false;
    return PutUnit(model, unit, bytes);
}

std::optional<CControllerModel> CControllerStore::Open(const DescriptorOverrides& overrides,
                                                       std::string& error)
{
    if (m_folder.empty()) {
        error = SimMsg::NO_STORE_FOLDER;
        return std::nullopt;
    }
    std::error_code ec;
    fs::create_directories(m_folder, ec);
    if (ec || !fs::is_directory(m_folder, ec)) {
        error = SimMsg::StoreFolderNotMade(m_folder, ec ? SystemErrorReason(ec.value()) : SimMsg::NOT_A_FOLDER);
        return std::nullopt;
    }
    // Refuse a read-only store now rather than at the operator's first write.
    std::string probe = m_folder + "/.probe" + TEMP_SUFFIX;
    CFileDescriptor probeFd(::mkostemp(probe.data(), O_CLOEXEC));
    if (!probeFd.IsOpen()) {
        error = SimMsg::StoreNotWritable(m_folder, SystemError());
        return std::nullopt;
    }
    ::unlink(probe.c_str());

    const auto units = AllUnits();
    bool any = false;
    for (const ChangedUnit& unit : units)
        any = any || fs::exists(m_folder + "/" + FileName(unit), ec);

    if (!any) {
        CControllerModel model(overrides.Apply(DefaultDescriptor()));
        SeedSamplePrograms(model);
        if (!SaveSeeded(model, error))
            return std::nullopt;
        return model;
    }

    std::vector<std::uint8_t> bytes;
    if (!ReadExactly(m_folder, DESCRIPTOR_FILE, ControllerInfo::ROOM, bytes, error))
        return std::nullopt;
    ControllerInfo stored;
    std::copy(bytes.begin(), bytes.end(), stored.bytes.begin());
    CControllerModel model(stored);
    for (const ChangedUnit& unit : units) {
        if (unit.unit == StoreUnit::Descriptor)
            continue;
        // A program never written since the store was made has no file.
        if (unit.unit == StoreUnit::Program && !fs::exists(m_folder + "/" + FileName(unit), ec))
            continue;
        if (!ReadExactly(m_folder, FileName(unit), UnitSize(stored, unit), bytes, error) ||
            !PutUnit(model, unit, bytes))
            return std::nullopt;
    }

    const ControllerInfo wanted = overrides.Apply(stored);
    if (wanted.bytes != stored.bytes) {
        model.Resize(wanted);
        if (!SaveDescriptor(model, error))
            return std::nullopt;
    }
    return model;
}
