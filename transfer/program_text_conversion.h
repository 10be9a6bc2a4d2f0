// Program text to image and back, for the transfers, the backup writer and
// vemsync's offline commands.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "image/lossy_line.h"
#include "link/data_kind.h"
#include "transfer/transfer_failure.h"

class CReplacementFile;
class ITransferUi;

// A conversion's frame count, or why there is none.
struct ImportOutcome {
    int frames = 0;
    std::optional<TransferFailure> failure;
};

// Checks the text and imports it into the image file. `lossy`, when given,
// receives the lines that are not stored as written.
ImportOutcome ImportProgramText(DataKind kind, const std::string& textPath,
                                const std::string& imagePath,
                                std::vector<LossyLine>* lossy = nullptr);

// Exports the image as text into `target`'s temporary file and puts it in
// place. The image file is left alone; a `scratchImage` is not named to the
// user. Nothing when it went through.
std::optional<TransferFailure> ExportProgramText(const std::string& imagePath,
                                                 CReplacementFile& target,
                                                 bool scratchImage = false);

// vemsync's offline commands. Each shows its own failure through `ui`.
//
// check: the frame count of the text through a scratch image, or nothing;
// `lossy` receives the lines not stored as written.
std::optional<int> CheckProgramFile(DataKind kind, const std::string& textPath,
                                    std::vector<LossyLine>& lossy, ITransferUi& ui);
// import: the text's image into `imagePath`, replaced only when the text
// was taken, so a refused text leaves an existing image as it was.
bool ImportProgramFile(DataKind kind, const std::string& textPath, const std::string& imagePath,
                       ITransferUi& ui);
// export: the image's text into `textPath`, replaced only when complete.
bool ExportProgramFile(const std::string& imagePath, const std::string& textPath, ITransferUi& ui);
