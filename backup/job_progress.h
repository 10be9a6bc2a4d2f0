// CJobProgress: the progress of a job of many items shown as one bar.
#pragma once

#include "link/link_transactions.h"

// The progress of a job of many items shown as one bar: the job's total is
// counted in units (a block, or a single transaction such as a size query),
// and each block sequence reports through this object into its own stretch
// of the bar, after the units done before it.
class CJobProgress : public IBlockProgress {
public:
    explicit CJobProgress(IBlockProgress& bar) : m_bar(bar) {}

    // The whole job's units; the bar keeps the units already done.
    void SetTotal(int units);
    // Units done outside a block sequence.
    void Advance(int units);
    int Done() const { return m_done; }

    // From a block sequence: its range marks where it starts, its positions
    // count from there.
    void SetProgressRange(int low, int high) override;
    void SetProgressPos(int pos) override;

private:
    IBlockProgress& m_bar;
    int m_total = 0;
    int m_done = 0;
    int m_sequenceBase = 0;
    int m_sequenceLow = 0;
};
