#include "model/day_list.h"

#include <cassert>

namespace carexa {

DayList::DayList(int count)
{
    assert(count >= 1);
    for (int k = 1; k <= count; ++k)
        append();
}

DayList::DayList(const DayList &other) : nodes_(other.nodes_)
{
    relink();
}

DayList &DayList::operator=(const DayList &other)
{
    if (this != &other) {
        ++revision_;
        nodes_ = other.nodes_;
        relink();
    }
    return *this;
}

void DayList::relink()
{
    DayNode *previous = nullptr;
    for (DayNode &node : nodes_) {
        node.prev = previous;
        node.next = nullptr;
        if (previous)
            previous->next = &node;
        previous = &node;
    }
}

void DayList::append()
{
    DayNode *previous = nodes_.empty() ? nullptr : &nodes_.back();
    nodes_.emplace_back();
    DayNode &node = nodes_.back();
    node.box.setDayNumber(static_cast<std::int32_t>(nodes_.size()));
    node.prev = previous;
    if (previous)
        previous->next = &node;
}

void DayList::resize(int newCount)
{
    ++revision_;
    assert(newCount >= 1);
    while (count() < newCount)
        append();
    while (count() > newCount)
        nodes_.pop_back();
    nodes_.back().next = nullptr;
    std::int32_t k = 0;
    for (DayNode &node : nodes_)
        node.box.setDayNumber(++k);
}

DayNode &DayList::findDay(std::int64_t day)
{
    ++revision_;
    if (day < 1 || day > count())
        return last();
    return node(static_cast<int>(day));
}

const DayNode &DayList::findDay(std::int64_t day) const
{
    if (day < 1 || day > count())
        return last();
    return node(static_cast<int>(day));
}

} // namespace carexa
