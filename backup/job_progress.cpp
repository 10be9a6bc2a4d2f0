// CJobProgress: many items' block sequences laid end to end on one progress bar.
#include "backup/job_progress.h"

#include <algorithm>

void CJobProgress::SetTotal(int units)
{
    m_total = units;
    m_bar.SetProgressRange(0, m_total);
    m_bar.SetProgressPos(std::min(m_done, m_total));
}

void CJobProgress::Advance(int units)
{
    m_done += units;
    m_sequenceBase = m_done;
    m_bar.SetProgressPos(std::min(m_done, m_total));
}

void CJobProgress::SetProgressRange(int low, int /*high*/)
{
    m_sequenceBase = m_done;
    m_sequenceLow = low;
}

void CJobProgress::SetProgressPos(int pos)
{
    m_done = m_sequenceBase + (pos - m_sequenceLow);
    m_bar.SetProgressPos(std::min(m_done, m_total));
}
