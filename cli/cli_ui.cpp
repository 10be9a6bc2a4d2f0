// CCliUi: messages and questions on standard error, a progress bar on a terminal.
#include "cli/cli_ui.h"

#include <algorithm>
#include <utility>

namespace {
constexpr int BAR_WIDTH = 30;
}

CCliUi::CCliUi(std::FILE* err, bool showProgress) : m_err(err), m_showProgress(showProgress)
{
}

// The bar is gone from the terminal once the command ends.
CCliUi::~CCliUi()
{
    EraseProgress();
}

// A message takes the bar's place; a bar drawn after it starts below it.
void CCliUi::ShowWarning(const std::string& text, const std::string& detail)
{
    EraseProgress();
    std::fprintf(m_err, "%s\n", text.c_str());
    if (!detail.empty())
        std::fprintf(m_err, "%s\n", detail.c_str());
    std::fflush(m_err);
}

void CCliUi::ShowInformation(const std::string& text, const std::string& detail)
{
    ShowWarning(text, detail);
}

bool CCliUi::AskYesNo(const std::string& question, const std::string& detail)
{
    ShowWarning(question, detail);
    return m_answer;
}

void CCliUi::SetProgressRange(int low, int high)
{
    m_low = low;
    m_high = high;
    m_pos = low;
    DrawProgress();
}

void CCliUi::SetProgressPos(int pos)
{
    m_pos = pos;
    DrawProgress();
}

void CCliUi::DrawProgress()
{
    if (!m_showProgress)
        return;
    const int span = std::max(m_high - m_low, 0);
    const int done = std::clamp(m_pos - m_low, 0, span);
    const int filled = span > 0 ? done * BAR_WIDTH / span : 0;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(BAR_WIDTH - filled), '.');
    const int drawn = std::fprintf(m_err, "\r[%s] %d/%d", bar.c_str(), done, span);
    std::fflush(m_err);
    // The bar is ASCII: its bytes are its columns.
    m_drawnWidth = std::max(drawn - 1, 0);
}

// Spaces over the bar, the cursor back at the line's start: no escape
// sequence, so that every console takes it.
void CCliUi::EraseProgress()
{
    if (m_drawnWidth == 0)
        return;
    std::fprintf(m_err, "\r%*s\r", m_drawnWidth, "");
    std::fflush(m_err);
    m_drawnWidth = 0;
}
