#pragma once

#include "model/box_values.h"
#include "model/day_values.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <iterator>

namespace carexa {

/// One simulated day: its concentrations (with the day number) and its forcing values.
struct DayNode
{
    BoxValues box;
    DayValues day;
    DayNode *next = nullptr;
    DayNode *prev = nullptr;
};

/// The days of a project as a doubly linked list numbered by position: the k-th node is day k.
/// For a simulation length of L days the list holds L + 1 nodes; the last one is a trailing spare
/// that is never shown, simulated or saved, so every walk visits only the nodes with a successor.
/// Nodes live in a deque, so links stay valid while the list grows or shrinks at its end, and a
/// day is found by its number without walking from the head.
class DayList
{
    using Iterator = std::deque<DayNode>::iterator;
    using ConstIterator = std::deque<DayNode>::const_iterator;

public:
    /// Builds `count` default nodes (count >= 1), numbered 1 to count.
    explicit DayList(int count);
    /// A copy has nodes of its own, linked among themselves.
    DayList(const DayList &other);
    DayList &operator=(const DayList &other);

    int count() const { return static_cast<int>(nodes_.size()); }
    DayNode &first() { return ++revision_, nodes_.front(); }
    const DayNode &first() const { return nodes_.front(); }
    DayNode &last() { return ++revision_, nodes_.back(); }
    const DayNode &last() const { return nodes_.back(); }

    /// A count that grows whenever the days may have changed (every access that could write
    /// them), so a reader can tell that they did not change since it last looked.
    std::uint64_t revision() const { return revision_; }

    /// Grows with default nodes or cuts nodes off the end (newCount >= 1), then renumbers.
    /// Nodes that stay keep their values.
    void resize(int newCount);

    /// The node numbered `day`, or the last node when no node carries that number.
    DayNode &findDay(std::int64_t day);
    const DayNode &findDay(std::int64_t day) const;

    /// The k-th node, 1-based; k must lie in 1..count().
    DayNode &node(int k) { return ++revision_, nodes_[static_cast<std::size_t>(k - 1)]; }
    const DayNode &node(int k) const { return nodes_[static_cast<std::size_t>(k - 1)]; }

    /// The active nodes: every node that has a successor (all but the last), in order.
    template <typename It> class Range
    {
    public:
        Range(It begin, It end) : begin_(begin), end_(end) { }
        It begin() const { return begin_; }
        It end() const { return end_; }

    private:
        It begin_, end_;
    };
    auto active()
    {
        ++revision_;
        return Range<Iterator>(nodes_.begin(), std::prev(nodes_.end()));
    }
    auto active() const { return Range<ConstIterator>(nodes_.begin(), std::prev(nodes_.end())); }
    int activeCount() const { return count() - 1; }

    /// A walk over many days reads far more memory than any cache holds and would wait for
    /// the nodes one after another: a Lookahead, stepped once per day walked, asks the
    /// processor to start fetching the day a few days ahead (a hint only: nothing is read or
    /// changed, and past the end of the list it does nothing).
    class Lookahead
    {
    public:
        /// For a walk from day 1 on.
        explicit Lookahead(const DayList &days)
            : ahead_(days.nodes_.begin()), end_(days.nodes_.end())
        {
            for (int i = 0; i < kDistance && ahead_ != end_; ++i)
                ++ahead_;
        }
        /// Steps one day on, fetching that day's forcing values (and with `wholeNode` its box
        /// values too).
        void step(bool wholeNode = false)
        {
            if (ahead_ == end_)
                return;
            if (wholeNode)
                fetch(*ahead_);
            else
                fetch(ahead_->day);
            ++ahead_;
        }

    private:
        static constexpr int kDistance = 8;
        template <typename T> static void fetch(const T &object)
        {
            constexpr std::size_t kLine = 64;
            const auto *at = reinterpret_cast<const char *>(&object);
            for (std::size_t b = 0; b < sizeof(T); b += kLine)
                __builtin_prefetch(at + b);
        }
        ConstIterator ahead_, end_;
    };

private:
    void append();
    void relink();

    std::deque<DayNode> nodes_;
    std::uint64_t revision_ = 0;
};

} // namespace carexa
