// CReplacementFile's staging write and its errors told in the target's name.
#include "platform/replacement_file.h"

#include "platform/binary_file.h"

void CReplacementFile::WriteAll(std::span<const std::uint8_t> bytes)
{
    try {
        CBinaryFile file;
        if (!file.Open(m_temp, CBinaryFile::Mode::CreateWrite))
            throw FileException(file.LastError());
        file.Write(bytes);
        file.Sync();
        file.Close();
    } catch (const FileException& e) {
        throw FileException(AsTargetError(e.Error()));
    }
}

FileError CReplacementFile::AsTargetError(FileError error) const
{
    if (error.path == m_temp)
        error.path = m_target;
    return error;
}
