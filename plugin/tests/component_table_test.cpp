// The component's virtual table: 205 entries in the host's order, and the
// neutral answer of every plugin_interface operation main_component keeps.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <type_traits>
#include <vector>

#include "int_thrown_at_host.h"
#include "plugin/main_component.h"
#include "vtable_slot.h"

namespace {

enum class answer { returns, does_nothing, empties_result, throws, runs_command };

struct observation {
    int own_index;
    std::ptrdiff_t slot;
    std::size_t words;
    answer kind;
    std::int64_t value;  // returned or thrown
    bool boolean;        // returned as bool
};

template <typename Arg>
Arg argument(char* text) {
    if constexpr (std::is_same_v<Arg, char*>)
        return text;
    else
        return static_cast<Arg>(0x5A5A);  // unused words: any value must do
}

// Calls one operation on a fresh main_component through the table and records
// what it did.
template <typename R, typename... Args>
observation observe(int own_index, R (plugin_interface::*operation)(Args...)) {
    observation seen{own_index, vtable_slot(operation), sizeof...(Args), answer::does_nothing, 0, false};
    main_component component;
    plugin_interface& object = component;
    char text[] = "host text";
    // Called as the host calls it, so that what it throws is caught as the host catches it.
    const std::optional<int> thrown = int_thrown_at_host([&] {
        if constexpr (std::is_void_v<R>) {
            (object.*operation)(argument<Args>(text)...);
            seen.kind = answer::does_nothing;
        } else if constexpr (std::is_same_v<R, char*>) {
            char* result = (object.*operation)(argument<Args>(text)...);
            seen.kind = answer::empties_result;
            seen.value = (result == text && text[0] == '\0') ? 1 : 0;
        } else {
            seen.kind = answer::returns;
            seen.value = (object.*operation)(argument<Args>(text)...);
            seen.boolean = std::is_same_v<R, bool>;
        }
    });
    if (thrown) {
        seen.kind = answer::throws;
        seen.value = *thrown;
    }
    return seen;
}

// invoke runs the whole capture command, so it is located but not called.
observation locate_invoke() {
    using invoke_type = void (plugin_interface::*)(plugin_word, host_scene*, plugin_word);
    const invoke_type operation = &plugin_interface::invoke;
    return {28, vtable_slot(operation), 3, answer::runs_command, 0, false};
}

#define OWN(n) observe(n, &plugin_interface::operation_##n)
#define TEN(tens) \
    OWN(tens##0), OWN(tens##1), OWN(tens##2), OWN(tens##3), OWN(tens##4), OWN(tens##5), OWN(tens##6), \
        OWN(tens##7), OWN(tens##8), OWN(tens##9)

std::vector<observation> observe_every_operation() {
    return {observe(1, &plugin_interface::component_id),
            OWN(2), OWN(3), OWN(4), OWN(5), OWN(6), OWN(7), OWN(8), OWN(9), TEN(1),
            OWN(20), OWN(21), OWN(22), OWN(23), OWN(24), OWN(25), OWN(26), OWN(27),
            locate_invoke(), OWN(29), OWN(30), OWN(31), observe(32, &plugin_interface::revision),
            OWN(33), OWN(34), OWN(35), OWN(36), OWN(37), OWN(38), OWN(39),
            TEN(4), TEN(5), TEN(6), TEN(7), TEN(8), TEN(9), TEN(10), TEN(11), TEN(12), TEN(13), TEN(14),
            TEN(15), TEN(16), TEN(17), TEN(18), TEN(19), OWN(200)};
}

#undef TEN
#undef OWN

// The host's table of defaults, one group per row: own operations first to
// last, what they answer, and their argument words (one entry for the whole
// group when all are alike).
struct expected_group {
    int first;
    int last;
    answer kind;
    std::int64_t value;
    bool boolean;
    std::vector<std::size_t> words;
};

constexpr std::int64_t emptied = 1;

const expected_group expected_groups[] = {
    {1, 1, answer::returns, 0x40A00130, false, {1}},
    {2, 4, answer::returns, 0, false, {2, 2, 3}},
    {5, 18, answer::does_nothing, 0, false, {3}},
    {19, 19, answer::returns, 0, false, {2}},
    {20, 21, answer::does_nothing, 0, false, {3, 4}},
    {22, 22, answer::returns, 0, false, {3}},
    {23, 27, answer::empties_result, emptied, false, {6, 7, 5, 3, 3}},
    {28, 28, answer::runs_command, 0, false, {3}},
    {29, 31, answer::empties_result, emptied, false, {3, 6, 6}},
    {32, 32, answer::returns, 36088, false, {0}},
    {33, 36, answer::empties_result, emptied, false, {4, 5, 5, 3}},
    {37, 37, answer::returns, 1, true, {1}},
    {38, 39, answer::returns, 0, true, {0}},
    {40, 47, answer::returns, 0, false, {2}},
    {48, 48, answer::does_nothing, 0, false, {1}},
    {49, 52, answer::returns, 0, true, {1}},
    {53, 56, answer::returns, 1, true, {3, 4, 4, 3}},
    {57, 57, answer::returns, 0, true, {2}},
    {58, 58, answer::returns, 1, true, {2}},
    {59, 62, answer::empties_result, emptied, false, {5, 5, 5, 3}},
    {63, 63, answer::returns, 0, true, {1}},
    {64, 64, answer::returns, 1, false, {1}},
    {65, 65, answer::does_nothing, 0, false, {4}},
    {66, 66, answer::returns, 0, true, {1}},
    {67, 69, answer::does_nothing, 0, false, {2}},
    {70, 70, answer::returns, 0, true, {1}},
    {71, 71, answer::does_nothing, 0, false, {3}},
    {72, 73, answer::empties_result, emptied, false, {3}},
    {74, 74, answer::does_nothing, 0, false, {5}},
    {75, 77, answer::empties_result, emptied, false, {3}},
    {78, 78, answer::returns, 0, false, {2}},
    {79, 79, answer::does_nothing, 0, false, {1}},
    {80, 82, answer::empties_result, emptied, false, {4, 4, 3}},
    {83, 83, answer::returns, 0, false, {0}},
    {84, 84, answer::does_nothing, 0, false, {2}},
    {85, 89, answer::empties_result, emptied, false, {3, 3, 4, 3, 3}},
    {90, 200, answer::throws, 0, false, {}},  // argument words not fixed: they never return
};

TEST(ComponentTable, EveryOperationAnswersItsNeutralDefault) {
    std::map<int, observation> seen;
    for (const observation& o : observe_every_operation()) {
        EXPECT_TRUE(seen.emplace(o.own_index, o).second) << "operation " << o.own_index << " listed twice";
    }
    ASSERT_EQ(seen.size(), 200u);

    for (const expected_group& group : expected_groups) {
        for (int n = group.first; n <= group.last; ++n) {
            SCOPED_TRACE("own operation " + std::to_string(n));
            const observation& o = seen.at(n);
            EXPECT_EQ(o.slot, 4 + n);
            EXPECT_EQ(o.kind, group.kind);
            EXPECT_EQ(o.value, group.value);
            EXPECT_EQ(o.boolean, group.boolean);
            if (!group.words.empty()) {
                const std::size_t i = static_cast<std::size_t>(n - group.first);
                EXPECT_EQ(o.words, group.words.size() == 1 ? group.words[0] : group.words.at(i));
            }
        }
    }
}

// Adds one operation after main_component's last, to find where its table ends.
struct one_past_the_table : main_component {
    virtual void after_the_last() {}
};

TEST(ComponentTable, HostOrderOfTheFirstSlotsAndTwoHundredFiveEntries) {
    EXPECT_EQ(vtable_slot(&unknown_interface::QueryInterface), 0);
    EXPECT_EQ(vtable_slot(&unknown_interface::AddRef), 1);
    EXPECT_EQ(vtable_slot(&unknown_interface::Release), 2);
    EXPECT_EQ(vtable_slot(&unknown_interface::destroy), 3);
    EXPECT_EQ(vtable_slot(&unknown_interface::probe), 4);
    EXPECT_EQ(vtable_slot(&main_component::component_id), 5);
    EXPECT_EQ(vtable_slot(&main_component::invoke), 32);
    EXPECT_EQ(vtable_slot(&main_component::operation_200), 204);
    // Entries 0..204 and nothing else: the next operation anyone adds lands at 205.
    EXPECT_EQ(vtable_slot(&one_past_the_table::after_the_last), 205);
    // Single inheritance with every base at offset 0: no this-adjustment.
    EXPECT_EQ(member_pointer_of(&main_component::invoke).adjustment, 0);
}

}  // namespace
