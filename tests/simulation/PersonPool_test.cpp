// Persons made one after the other lie in adjacent slots of two cache lines,
// in the order they were made, so that a walk over the list streams; freed
// slots are used again, and once nobody is left the pool starts afresh.
#include "simulation/Unit_TPerson.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

std::uintptr_t Address(const TPerson* ParaPerson) {
    return reinterpret_cast<std::uintptr_t>(ParaPerson);
}

} // namespace

TEST(PersonPool, APopulationLiesInIndexOrderTwoCacheLinesAPerson) {
    ASSERT_EQ(TPerson::PooledSlots(), 0u);
    std::vector<std::unique_ptr<TPerson>> persons;
    for (int i = 0; i < 10000; ++i)
        persons.push_back(std::make_unique<TPerson>());
    EXPECT_EQ(TPerson::PooledSlots(), 10000u);
    std::size_t adjacent = 0;
    for (std::size_t i = 0; i < persons.size(); ++i) {
        ASSERT_EQ(Address(persons[i].get()) % 64, 0u) << i;
        if (i > 0 && Address(persons[i].get()) == Address(persons[i - 1].get()) + 128)
            ++adjacent;
    }
    // Only where one block of slots ends and the next begins may there be a gap.
    EXPECT_GE(adjacent, persons.size() - 1 - persons.size() / 1000);

    // A freed slot is the next one handed out; the rest stay where they are.
    TPerson* freed = persons[500].get();
    persons[500].reset();
    EXPECT_EQ(TPerson::PooledSlots(), 9999u);
    persons[500] = std::make_unique<TPerson>();
    EXPECT_EQ(persons[500].get(), freed);
    EXPECT_EQ(persons[500]->mPositionX, 0.0); // a fresh person, not what lay there

    persons.clear();
    EXPECT_EQ(TPerson::PooledSlots(), 0u);
    // Nobody left: the next population starts at the front of new blocks.
    auto first = std::make_unique<TPerson>();
    auto second = std::make_unique<TPerson>();
    EXPECT_EQ(Address(second.get()), Address(first.get()) + 128);
}

TEST(PersonPool, CopiesAreOrdinaryPersons) {
    TPerson original;
    original.mPositionX = 12.5;
    original.mSize = 4;
    original.Infect();
    auto copy = std::make_unique<TPerson>(original);
    EXPECT_EQ(copy->mPositionX, 12.5);
    EXPECT_EQ(copy->mSize, 4);
    EXPECT_TRUE(copy->mInfected);
    EXPECT_TRUE(copy->Near(original));
    copy.reset();
    EXPECT_EQ(TPerson::PooledSlots(), 0u);
}
