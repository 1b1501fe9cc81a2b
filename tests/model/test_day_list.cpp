#include "model/day_list.h"
#include "model/model_state.h"

#include <gtest/gtest.h>

using namespace carexa;

namespace {

// Checks the links and the numbering by position of the whole list.
void ExpectConsistent(const DayList &list)
{
    const DayNode *node = &list.first();
    ASSERT_EQ(node->prev, nullptr);
    for (int k = 1; k <= list.count(); ++k) {
        ASSERT_EQ(node->box.dayNumber(), k);
        ASSERT_EQ(node, &list.node(k));
        if (k < list.count()) {
            ASSERT_EQ(node->next->prev, node);
            node = node->next;
        }
    }
    EXPECT_EQ(node, &list.last());
    EXPECT_EQ(node->next, nullptr);
}

bool AllDefault(const DayNode &node)
{
    for (double v : node.box.values()) {
        if (v != kEmptyValue)
            return false;
    }
    for (double v : node.day.values()) {
        if (v != kEmptyValue)
            return false;
    }
    return true;
}

TEST(DayList, StartsWithSixtyOneDefaultNodes)
{
    ModelState state;
    ExpectConsistent(state.days);
    EXPECT_EQ(state.days.count(), 61);
    for (int k = 1; k <= 61; ++k)
        EXPECT_TRUE(AllDefault(state.days.node(k))) << k;
    EXPECT_EQ(state.simulationLength, 60);
    EXPECT_EQ(state.stepsPerDay, 70);
    EXPECT_EQ(state.climate, 0);
    EXPECT_EQ(state.observedLength, 60);
    EXPECT_EQ(state.initial.dayNumber(), 0);
}

TEST(ModelState, ResetMakesAnEmptyProjectInPlace)
{
    ModelState state;
    DayList *const list = &state.days;
    state.setSimulationLength(90);
    state.parameters.set(Parameter::NC, 1.2);
    state.initial.set(BoxField::VO, 180);
    state.days.node(40).day.set(DayField::waterFlow, 15);
    state.days.node(3).box.setConcentration(Variable::AMM, 1, 7);
    state.climate = kWarmClimate;
    state.observedLength = 30;
    state.resetProject();
    EXPECT_EQ(&state.days, list);
    EXPECT_EQ(state.simulationLength, 60);
    EXPECT_EQ(state.stepsPerDay, 50);
    EXPECT_EQ(state.days.count(), 61);
    EXPECT_EQ(state.parameters, ModelParameters());
    EXPECT_EQ(state.initial, BoxValues());
    for (const DayNode &node : state.days.active())
        EXPECT_TRUE(AllDefault(node));
    EXPECT_EQ(state.climate, kWarmClimate);
    EXPECT_EQ(state.observedLength, 30);
}

TEST(DayList, ShrinkingKeepsTheFirstNodesWithTheirValues)
{
    DayList list(61);
    for (int k = 1; k <= 61; ++k)
        list.node(k).day.set(DayField::temperature, k);
    list.resize(31);
    ExpectConsistent(list);
    EXPECT_EQ(list.count(), 31);
    EXPECT_EQ(list.last().day.get(DayField::temperature), 31);
    EXPECT_EQ(list.last().next, nullptr);
}

TEST(DayList, GrowingAppendsDefaultNodesAndRenumbers)
{
    DayList list(31);
    for (int k = 1; k <= 31; ++k)
        list.node(k).day.set(DayField::waterFlow, 10 * k);
    list.resize(41);
    ExpectConsistent(list);
    EXPECT_EQ(list.node(31).day.get(DayField::waterFlow), 310);
    for (int k = 32; k <= 41; ++k)
        EXPECT_TRUE(AllDefault(list.node(k))) << k;

    list.resize(41); // same count: nothing but the numbering
    ExpectConsistent(list);
    EXPECT_EQ(list.node(31).day.get(DayField::waterFlow), 310);
}

TEST(DayList, FindDayFallsBackToTheLastNode)
{
    DayList list(10);
    EXPECT_EQ(&list.findDay(1), &list.first());
    EXPECT_EQ(&list.findDay(7), &list.node(7));
    EXPECT_EQ(&list.findDay(0), &list.last());
    EXPECT_EQ(&list.findDay(11), &list.last());
    EXPECT_EQ(&list.findDay(-3), &list.last());
}

TEST(DayList, AWalkVisitsAllButTheTrailingNode)
{
    DayList list(61);
    int visited = 0;
    for (const DayNode &node : list.active()) {
        ++visited;
        EXPECT_NE(node.next, nullptr);
    }
    EXPECT_EQ(visited, 60);
    EXPECT_EQ(list.activeCount(), 60);
}

TEST(BoxValues, CopyAndResetKeepTheDayNumber)
{
    DayList list(3);
    BoxValues initial;
    initial.setConcentration(Variable::TPO, 4, 6.5);
    initial.set(BoxField::VO, 180);
    list.node(2).box.copyValues(initial);
    EXPECT_EQ(list.node(2).box.dayNumber(), 2);
    EXPECT_EQ(list.node(2).box.concentration(Variable::TPO, 4), 6.5);
    EXPECT_EQ(list.node(2).box.get(BoxField::VO), 180);
    list.node(2).box.reset();
    EXPECT_EQ(list.node(2).box.dayNumber(), 2);
    EXPECT_EQ(list.node(2).box.concentration(Variable::TPO, 4), kEmptyValue);
}

TEST(BoxValues, ConcentrationsFollowTheRecordOrder)
{
    EXPECT_EQ(ConcentrationField(Variable::BOD5, 0), BoxField::BOD5_A);
    EXPECT_EQ(ConcentrationField(Variable::ORN, 4), static_cast<BoxField>(20));
    EXPECT_EQ(ConcentrationField(Variable::TPO, 0), BoxField::TPO_A);
    EXPECT_EQ(ConcentrationName(Variable::AMM, 2), "AMM-C");
}

} // namespace

namespace {

TEST(DayList, ACopyHasItsOwnLinkedNodes)
{
    carexa::DayList list(4);
    list.node(3).day.set(carexa::DayField::RTB, 2.5);
    carexa::DayList copy(list);
    EXPECT_EQ(copy.count(), 4);
    EXPECT_EQ(copy.node(3).day.get(carexa::DayField::RTB), 2.5);
    EXPECT_EQ(copy.first().next, &copy.node(2));
    EXPECT_EQ(copy.node(2).prev, &copy.first());
    EXPECT_EQ(copy.last().next, nullptr);
    EXPECT_EQ(copy.first().prev, nullptr);
    copy.node(3).day.set(carexa::DayField::RTB, 7);
    EXPECT_EQ(list.node(3).day.get(carexa::DayField::RTB), 2.5);

    carexa::DayList assigned(2);
    assigned = list;
    EXPECT_EQ(assigned.count(), 4);
    EXPECT_EQ(assigned.node(3).next, &assigned.node(4));
    EXPECT_EQ(assigned.node(4).box.dayNumber(), 4);
}

} // namespace
