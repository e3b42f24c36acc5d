// Every call stub of the routine list: its selector, its arguments as the dispatcher reads
// them, and its result both before QuickTime is bound and after. The cases are made from
// the list itself; each argument gets a value that shows a lost sign or a narrowed width.
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "quicktime/qt_calls.h"
#include "quicktime/qt_loader.h"
#include "quicktime/qt_selectors.h"
#include "quicktime/tests/loader_fixture.h"

namespace {

char area[8];

// How a routine's answer reaches its caller.
enum class Result { error16, value32, handle, none };

template <typename T>
T sample(std::size_t i) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(&area[i]);
    else if constexpr (std::is_same_v<T, bool>)
        return true;
    else if constexpr (std::is_unsigned_v<T>)
        return T(four_cc("TVOD") + i);
    else if constexpr (sizeof(T) == 4)
        return T(std::int32_t(0x90000000u) + std::int32_t(i));  // high bit set
    else
        return T(-2 - std::int32_t(i));
}

// The argument as the fake dispatcher reads it back: a pointer, or an int.
template <typename T>
std::intptr_t as_read(T value) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<std::intptr_t>(value);
    else
        return static_cast<int>(value);
}

template <typename T>
char kind() {
    return std::is_pointer_v<T> ? 'p' : 'i';
}

template <typename R>
Result result_of() {
    if constexpr (std::is_void_v<R>)
        return Result::none;
    else if constexpr (std::is_pointer_v<R>)
        return Result::handle;
    else
        return sizeof(R) == 2 ? Result::error16 : Result::value32;
}

struct StubCase {
    const char* name;
    std::uint32_t selector;
    std::string kinds;  // see fake_quicktime::argument_kinds
    std::vector<std::intptr_t> arguments;
    Result result;
    std::function<std::intptr_t()> call;
};

template <typename R, typename... A, std::size_t... I>
StubCase make_case(const char* name, std::uint32_t selector, R (*stub)(A...), std::index_sequence<I...>) {
    return {name, selector, std::string{kind<A>()...}, {as_read(sample<A>(I))...}, result_of<R>(), [stub] {
                if constexpr (std::is_void_v<R>)
                    return stub(sample<A>(I)...), std::intptr_t(0);
                else if constexpr (std::is_pointer_v<R>)
                    return reinterpret_cast<std::intptr_t>(stub(sample<A>(I)...));
                else
                    return static_cast<std::intptr_t>(stub(sample<A>(I)...));
            }};
}

template <typename R, typename... A>
StubCase make_case(const char* name, std::uint32_t selector, R (*stub)(A...)) {
    return make_case(name, selector, stub, std::index_sequence_for<A...>{});
}

const std::vector<StubCase>& stubs() {
    static const std::vector<StubCase> table = {
#define QT_ROUTINE(name, selector, ...) make_case(#name, selector, &::name),
#include "quicktime/qt_routines.inc"
    };
    return table;
}

class CallStubTest : public LoaderTest {};

TEST_F(CallStubTest, BeforeBindingEveryCallAnswersNotBound) {
    // Nothing to find anywhere: every call runs the search and stays unbound.
    for (const StubCase& stub : stubs()) {
        const std::intptr_t result = stub.call();
        switch (stub.result) {
            case Result::error16:
                EXPECT_EQ(std::uint16_t(result), 0xF7D1) << stub.name;
                EXPECT_EQ(result, qtNotBoundErr) << stub.name;
                break;
            case Result::value32: EXPECT_EQ(result, qtNotBoundErr) << stub.name; break;
            case Result::handle: EXPECT_EQ(result, 0) << stub.name << " must not hand out -2095 as a handle"; break;
            case Result::none: break;
        }
    }
    EXPECT_EQ(os.system_dir_reads, static_cast<int>(stubs().size())) << "each call searches again";
    EXPECT_EQ(qt_bind_hook, &qt_lazy_bind);
    EXPECT_TRUE(fake_quicktime::calls.empty());
}

TEST_F(CallStubTest, BoundCallsPassSelectorAndArgumentsUntouched) {
    qt_bind_hook = nullptr;
    qt_dispatcher = fake_quicktime::dispatcher;
    fake_quicktime::answer = 0x1234FFFE;
    fake_quicktime::reference_answer = 0x1234FFFE;
    for (const StubCase& stub : stubs()) {
        fake_quicktime::calls.clear();
        fake_quicktime::argument_kinds = stub.kinds;
        const std::intptr_t result = stub.call();
        ASSERT_EQ(fake_quicktime::calls.size(), 1u) << stub.name;
        EXPECT_EQ(fake_quicktime::calls[0].selector, stub.selector) << stub.name;
        EXPECT_EQ(fake_quicktime::calls[0].arguments, stub.arguments) << stub.name;
        switch (stub.result) {
            case Result::error16: EXPECT_EQ(result, -2) << stub.name << ": the low 16 bits"; break;
            case Result::value32:
            case Result::handle: EXPECT_EQ(result, 0x1234FFFE) << stub.name; break;
            case Result::none: break;
        }
    }
}

TEST_F(CallStubTest, AHandleOfNoneStaysNoneOnceBound) {
    qt_bind_hook = nullptr;
    qt_dispatcher = fake_quicktime::dispatcher;
    fake_quicktime::answer = 0;
    EXPECT_EQ(GetMovieUserData(reinterpret_cast<Movie>(&area[0])), nullptr);
    EXPECT_EQ(NewPtr(48), nullptr);
}

}  // namespace
