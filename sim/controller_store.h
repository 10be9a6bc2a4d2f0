// CControllerStore: the simulated controller's memory on disk, one file per part.
#pragma once

#include <optional>
#include <string>

#include "sim/controller_model.h"
#include "sim/request_handler.h"
#include "sim/sim_options.h"

// The controller's memory on disk, one file per part of it, each the raw
// bytes of that part with no header:
//
//   descriptor.bin         16 bytes, the descriptor as the link sends it
//   general.bin            the general block, generalParamSize bytes
//   axes.bin               the axis blocks back to back, axisCount × axisParamSize
//   program-01.bin ...     20 files of 500 slots × 32 bytes
//   subprogram-01.bin ...  50 files of 100 slots × 32 bytes
//
// Every file is replaced atomically (temporary file in the folder, fsync,
// rename), so a crash leaves either the old or the new contents. A program
// file exists once the program has been written (a fresh store has only the
// samples'); without it the program is empty. A folder without any of these
// files is fresh and gets seeded; one without the descriptor or the
// parameter blocks, or with any file of the wrong size, is corrupt and is
// refused.
class CControllerStore {
public:
    // $XDG_DATA_HOME/MFCVemSync/sim, or ~/.local/share/MFCVemSync/sim when
    // XDG_DATA_HOME is unset or empty; empty when neither is known.
    static std::string DefaultFolder();

    explicit CControllerStore(std::string folder) : m_folder(std::move(folder)) {}
    const std::string& Folder() const { return m_folder; }

    // Loads the store, or seeds a fresh one, and applies the overrides.
    // On failure: nullopt and a one-line `error`.
    std::optional<CControllerModel> Open(const DescriptorOverrides& overrides, std::string& error);

    bool Save(const CControllerModel& model, const ChangedUnit& unit, std::string& error) const;
    // The descriptor with the parameter blocks it sizes.
    bool SaveDescriptor(const CControllerModel& model, std::string& error) const;
    // Puts the stored contents of `unit` back into the model (after a failed
    // save, so that memory and disk agree).
    bool Reload(CControllerModel& model, const ChangedUnit& unit, std::string& error) const;

    static std::string FileName(const ChangedUnit& unit);

private:
    // The parameters and every program that is not empty.
    bool SaveSeeded(const CControllerModel& model, std::string& error) const;
    std::string m_folder;
};
