// Program text to image and back, and vemsync's check, import and export.

#include "transfer/program_text_conversion.h"

#include "image/program_image.h"
#include "platform/binary_file.h"
#include "platform/private_temp_file.h"
#include "platform/replacement_file.h"
#include "transfer/failure_detail.h"
#include "transfer/messages.h"
#include "transfer/transfer_ui.h"

namespace {

TransferFailure FileFailure(const FileError& error, bool scratch = false)
{
    return TransferFailure::OfFile(FileErrorMessage(error), FileFailureDetail(error, scratch));
}

} // namespace

ImportOutcome ImportProgramText(DataKind kind, const std::string& textPath,
                                const std::string& imagePath, std::vector<LossyLine>* lossy)
{
    CProgramImage image(PROGRAM_IMAGE_KIND, textPath, imagePath, 0, 0);
    image.CollectLossyLines(lossy);
    if (kind == DataKind::Program)
        image.SelectProgram(0);
    else
        image.SelectSubprogram(0);

    const int rejected = image.CheckText();
    if (rejected == -1) {
        return {0, TransferFailure{FailureStep::OpenFile, kind,
                                   image.FileFailure() ? FileFailureDetail(*image.FileFailure()) : ""}};
    }
    if (rejected > 0) {
        // A word disabled in the controller is exported as a comment line.
        const bool disabled = image.RejectedLine().starts_with("//");
        return {0, TransferFailure::RejectedLine(kind, rejected, disabled ? Msg::DISABLED_LINE : "")};
    }
    const int frames = image.ImportText();
    if (image.FileFailure()) {
        const FileError& error = *image.FileFailure();
        return {0, FileFailure(error, error.path != textPath)};
    }
    // No frame at all, or more lines than the area holds.
    if (frames <= 0)
        return {0, TransferFailure{FailureStep::ProgramSize, kind}};
    return {frames, std::nullopt};
}

std::optional<TransferFailure> ExportProgramText(const std::string& imagePath,
                                                 CReplacementFile& target, bool scratchImage)
{
    CProgramImage image(PROGRAM_IMAGE_KIND, imagePath, target.TempPath(), 0, 0);
    if (!image.ExportText()) {
        if (!image.FileFailure())
            return TransferFailure(FailureStep::Decode, DataKind::Program);
        const FileError error = target.AsTargetError(*image.FileFailure());
        return FileFailure(error, scratchImage && error.path != target.Target());
    }
    target.Commit();
    return std::nullopt;
}

std::optional<int> CheckProgramFile(DataKind kind, const std::string& textPath,
                                    std::vector<LossyLine>& lossy, ITransferUi& ui)
{
    // The image of a check lives in a scratch file of its own and goes away.
    CPrivateTempFile image;
    if (!image.Create()) {
        ShowFailure(ui, FileFailure(image.LastError(), true));
        return std::nullopt;
    }
    const ImportOutcome imported = ImportProgramText(kind, textPath, image.Path(), &lossy);
    image.Remove();
    if (imported.failure) {
        ShowFailure(ui, *imported.failure);
        return std::nullopt;
    }
    return imported.frames;
}

bool ImportProgramFile(DataKind kind, const std::string& textPath, const std::string& imagePath,
                       ITransferUi& ui)
{
    CReplacementFile target;
    if (!target.Begin(imagePath)) {
        ShowFailure(ui, FileFailure(target.LastError()));
        return false;
    }
    const ImportOutcome imported = ImportProgramText(kind, textPath, target.TempPath());
    if (imported.failure) {
        ShowFailure(ui, *imported.failure);
        return false;
    }
    try {
        CBinaryFile image;
        if (!image.Open(target.TempPath(), CBinaryFile::Mode::WriteExisting))
            throw FileException(image.LastError());
        image.Sync();
        image.Close();
        target.Commit();
    } catch (const FileException& e) {
        ShowFailure(ui, FileFailure(target.AsTargetError(e.Error())));
        return false;
    }
    return true;
}

bool ExportProgramFile(const std::string& imagePath, const std::string& textPath, ITransferUi& ui)
{
    CReplacementFile target;
    if (!target.Begin(textPath)) {
        ShowFailure(ui, TransferFailure(FailureStep::OpenFile, DataKind::Program,
                                        FileFailureDetail(target.LastError())));
        return false;
    }
    try {
        if (const std::optional<TransferFailure> failure = ExportProgramText(imagePath, target)) {
            ShowFailure(ui, *failure);
            return false;
        }
        return true;
    } catch (const FileException& e) {
        ShowFailure(ui, TransferFailure::OfFile(e.what(), FileFailureDetail(e.Error())));
        return false;
    }
}
