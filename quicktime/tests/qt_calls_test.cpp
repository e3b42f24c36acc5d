// Every call stub: its selector, its arguments as the dispatcher reads them, and its result
// both before QuickTime is bound and after.
#include <cstdint>
#include <functional>
#include <type_traits>
#include <string>
#include <vector>

#include "quicktime/qt_calls.h"
#include "quicktime/qt_loader.h"
#include "quicktime/qt_selectors.h"
#include "quicktime/tests/loader_fixture.h"

namespace {

char area[8];
template <typename T>
T at(int i) {
    return reinterpret_cast<T>(&area[i]);
}
std::intptr_t address(int i) { return reinterpret_cast<std::intptr_t>(&area[i]); }

// How a routine's answer reaches its caller.
enum class Result { error16, value32, handle, none };

struct StubCase {
    const char* name;
    std::uint32_t selector;
    const char* kinds;  // see fake_quicktime::argument_kinds
    std::vector<std::intptr_t> arguments;
    Result result;
    std::function<std::intptr_t()> call;
};

template <typename T>
std::intptr_t widen(T value) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<std::intptr_t>(value);
    else
        return static_cast<std::intptr_t>(value);
}

const OSType tvod = four_cc("TVOD");
const OSType vide = four_cc("vide");
const std::int32_t high_bit_flags = std::int32_t(0x90000000u);

const std::vector<StubCase>& stubs() {
    namespace s = qt_selector;
    using R = Result;
    static const std::vector<StubCase> table = {
        {"NativePathNameToFSSpec", s::NativePathNameToFSSpec, "ppi", {address(0), address(1), 0}, R::error16,
         [] { return widen(NativePathNameToFSSpec(at<char*>(0), at<FSSpec*>(1), 0)); }},
        {"CreateMovieFile", s::CreateMovieFile, "piiipp", {address(0), tvod, -2, high_bit_flags, address(1), address(2)},
         R::error16,
         [] { return widen(CreateMovieFile(at<FSSpec*>(0), tvod, -2, high_bit_flags, at<std::int16_t*>(1), at<Movie*>(2))); }},
        {"OpenMovieFile", s::OpenMovieFile, "ppi", {address(0), address(1), 1}, R::error16,
         [] { return widen(OpenMovieFile(at<FSSpec*>(0), at<std::int16_t*>(1), 1)); }},
        {"NewMovieFromFile", s::NewMovieFromFile, "pippip", {address(0), -7, 0, 0, 0, 0}, R::error16,
         [] { return widen(NewMovieFromFile(at<Movie*>(0), -7, nullptr, nullptr, 0, nullptr)); }},
        {"SetMoviePlayHints", s::SetMoviePlayHints, "pii", {address(0), 0x100, 0x100}, R::none,
         [] { return SetMoviePlayHints(at<Movie>(0), 0x100, 0x100), std::intptr_t(0); }},
        {"ClearMoviesStickyError", s::ClearMoviesStickyError, "", {}, R::none,
         [] { return ClearMoviesStickyError(), std::intptr_t(0); }},
        {"GetMovieIndTrackType", s::GetMovieIndTrackType, "piii", {address(0), 1, vide, 1}, R::handle,
         [] { return widen(GetMovieIndTrackType(at<Movie>(0), 1, vide, 1)); }},
        {"GetTrackMedia", s::GetTrackMedia, "p", {address(0)}, R::handle,
         [] { return widen(GetTrackMedia(at<Track>(0))); }},
        {"GetTrackDimensions", s::GetTrackDimensions, "ppp", {address(0), address(1), address(2)}, R::none,
         [] { return GetTrackDimensions(at<Track>(0), at<Fixed*>(1), at<Fixed*>(2)), std::intptr_t(0); }},
        {"GetTrackVolume", s::GetTrackVolume, "p", {address(3)}, R::error16,
         [] { return widen(GetTrackVolume(at<Track>(3))); }},
        {"NewMovieTrack", s::NewMovieTrack, "piii", {address(0), 320 << 16, 240 << 16, -256}, R::handle,
         [] { return widen(NewMovieTrack(at<Movie>(0), 320 << 16, 240 << 16, -256)); }},
        {"GetMediaHandlerDescription", s::GetMediaHandlerDescription, "pppp", {address(0), address(1), 0, 0}, R::none,
         [] {
             return GetMediaHandlerDescription(at<Media>(0), at<OSType*>(1), nullptr, nullptr), std::intptr_t(0);
         }},
        {"GetMediaTimeScale", s::GetMediaTimeScale, "p", {address(4)}, R::value32,
         [] { return widen(GetMediaTimeScale(at<Media>(4))); }},
        {"NewTrackMedia", s::NewTrackMedia, "piipi", {address(0), vide, 600, 0, 0}, R::handle,
         [] { return widen(NewTrackMedia(at<Track>(0), vide, 600, nullptr, 0)); }},
        {"GetTrackDuration", s::GetTrackDuration, "p", {address(5)}, R::value32,
         [] { return widen(GetTrackDuration(at<Track>(5))); }},
        {"InsertTrackSegment", s::InsertTrackSegment, "ppiii", {address(0), address(1), 0, 1200, -1}, R::error16,
         [] { return widen(InsertTrackSegment(at<Track>(0), at<Track>(1), 0, 1200, -1)); }},
        {"CopyTrackSettings", s::CopyTrackSettings, "pp", {address(0), address(1)}, R::error16,
         [] { return widen(CopyTrackSettings(at<Track>(0), at<Track>(1))); }},
        {"GetTrackLayer", s::GetTrackLayer, "p", {address(6)}, R::error16,
         [] { return widen(GetTrackLayer(at<Track>(6))); }},
        {"SetTrackLayer", s::SetTrackLayer, "pi", {address(0), -3}, R::none,
         [] { return SetTrackLayer(at<Track>(0), -3), std::intptr_t(0); }},
        {"SetTrackEnabled", s::SetTrackEnabled, "pi", {address(0), 1}, R::none,
         [] { return SetTrackEnabled(at<Track>(0), true), std::intptr_t(0); }},
        {"GetMoviesStickyError", s::GetMoviesStickyError, "", {}, R::error16,
         [] { return widen(GetMoviesStickyError()); }},
        {"GetMovieNextInterestingTime", s::GetMovieNextInterestingTime, "piipiipp",
         {address(0), 1, 0, 0, 0, 0x10000, 0, address(1)}, R::none,
         [] {
             return GetMovieNextInterestingTime(at<Movie>(0), 1, 0, nullptr, 0, 0x10000, nullptr, at<TimeValue*>(1)),
                    std::intptr_t(0);
         }},
        {"GetMovieTime", s::GetMovieTime, "pp", {address(0), 0}, R::value32,
         [] { return widen(GetMovieTime(at<Movie>(0), nullptr)); }},
        {"NewPtr", s::NewPtr, "i", {48}, R::handle, [] { return widen(NewPtr(48)); }},
        {"GetMovieUserData", s::GetMovieUserData, "p", {address(0)}, R::handle,
         [] { return widen(GetMovieUserData(at<Movie>(0))); }},
        {"SetUserDataItem", s::SetUserDataItem, "ppiii", {address(0), address(1), 48, four_cc("NAVG"), 0},
         R::error16,
         [] { return widen(SetUserDataItem(at<UserData>(0), at<void*>(1), 48, four_cc("NAVG"), 0)); }},
        {"SetMoviePosterTime", s::SetMoviePosterTime, "pi", {address(0), 30}, R::none,
         [] { return SetMoviePosterTime(at<Movie>(0), 30), std::intptr_t(0); }},
        {"SetMovieTimeValue", s::SetMovieTimeValue, "pi", {address(0), 40}, R::none,
         [] { return SetMovieTimeValue(at<Movie>(0), 40), std::intptr_t(0); }},
        {"SetMoviePreviewTime", s::SetMoviePreviewTime, "pii", {address(0), 50, 60}, R::none,
         [] { return SetMoviePreviewTime(at<Movie>(0), 50, 60), std::intptr_t(0); }},
        {"AddMovieResource", s::AddMovieResource, "pipp", {address(0), 3, address(1), 0}, R::error16,
         [] { return widen(AddMovieResource(at<Movie>(0), 3, at<std::int16_t*>(1), nullptr)); }},
        {"DisposePtr", s::DisposePtr, "p", {address(7)}, R::none,
         [] { return DisposePtr(at<Ptr>(7)), std::intptr_t(0); }},
        {"CloseMovieFile", s::CloseMovieFile, "i", {-4}, R::error16, [] { return widen(CloseMovieFile(-4)); }},
        {"DisposeMovie", s::DisposeMovie, "p", {address(0)}, R::none,
         [] { return DisposeMovie(at<Movie>(0)), std::intptr_t(0); }},
        {"FlattenMovieData", s::FlattenMovieData, "pipiii", {address(0), 73, address(1), tvod, -1, high_bit_flags},
         R::handle,
         [] { return widen(FlattenMovieData(at<Movie>(0), 73, at<FSSpec*>(1), tvod, -1, high_bit_flags)); }},
        {"DeleteMovieFile", s::DeleteMovieFile, "p", {address(2)}, R::error16,
         [] { return widen(DeleteMovieFile(at<FSSpec*>(2))); }},
        {"qtml_reference_query", s::QTMLReferenceQuery, "", {}, R::value32,
         [] { return widen(qtml_reference_query()); }},
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
    EXPECT_EQ(GetMovieUserData(at<Movie>(0)), nullptr);
    EXPECT_EQ(NewPtr(48), nullptr);
}

}  // namespace
