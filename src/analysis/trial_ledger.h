#pragma once

// The bookkeeping of a search's trials: how many ran, how many failed, and which was best.

#include <cstdint>
#include <limits>

namespace carexa {

/// The trials of a search as they end, in any order: the count of trials and of failed ones,
/// and the best. Of two trials with the same objective the one with the lower id is the better,
/// so the best does not depend on the order in which trials end (or on the threads that ran
/// them). A failed trial (a run that stopped on numbers that are not finite) is counted, and
/// never becomes the best, whatever its objective. Not synchronised: callers on several
/// threads hold a lock around it.
class TrialLedger
{
public:
    /// Records a trial that ran to its end: counts it and offers it as the best; true when it is
    /// now the best.
    bool record(double objective, bool failed, std::uint64_t id)
    {
        count(failed);
        return offer(objective, failed, id);
    }

    /// Counts a trial that ran to its end.
    void count(bool failed)
    {
        ++done_;
        if (failed)
            ++failed_;
    }

    /// Makes a trial the best if it beats the best so far (a failed one never does); true when
    /// it is now the best.
    bool offer(double objective, bool failed, std::uint64_t id)
    {
        if (failed || !beats(objective, id))
            return false;
        found_ = true;
        bestObjective_ = objective;
        bestId_ = id;
        return true;
    }

    /// Whether a trial with `objective` and `id` would be better than the best so far (true
    /// while there is none).
    bool beats(double objective, std::uint64_t id) const
    {
        return !found_ || objective < bestObjective_ || (objective == bestObjective_ && id < bestId_);
    }

    int done() const { return done_; }
    int failed() const { return failed_; }
    /// Whether any trial has been recorded that did not fail.
    bool found() const { return found_; }
    /// The best objective, or the largest double while none was found.
    double bestObjective() const { return bestObjective_; }
    std::uint64_t bestId() const { return bestId_; }

private:
    int done_ = 0;
    int failed_ = 0;
    bool found_ = false;
    double bestObjective_ = std::numeric_limits<double>::max();
    std::uint64_t bestId_ = 0;
};

} // namespace carexa
