// Reference counting and the deleting destructor of main_component. The global
// allocation functions are replaced here so the test sees exactly when the
// component's storage is given back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "plugin/main_component.h"
#include "plugin/plugin_identity.h"

namespace {

const void* watched_block = nullptr;
int watched_frees = 0;

void release_block(void* block) noexcept {
    if (block != nullptr && block == watched_block) ++watched_frees;
    std::free(block);
}

struct watch {
    explicit watch(const void* block) {
        watched_block = block;
        watched_frees = 0;
    }
    ~watch() { watched_block = nullptr; }
};

}  // namespace

void* operator new(std::size_t size) {
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { release_block(block); }
void operator delete(void* block, std::size_t) noexcept { release_block(block); }

namespace {

TEST(ComponentLifetime, CountsReferencesAndFreesOnTheLastRelease) {
    auto* component = new main_component;
    watch freed(component);
    EXPECT_EQ(component->AddRef(), 1u) << "a new component starts at 0";
    EXPECT_EQ(component->AddRef(), 2u);
    EXPECT_EQ(component->Release(), 1u);
    EXPECT_EQ(watched_frees, 0);
    EXPECT_EQ(component->Release(), 0u);
    EXPECT_EQ(watched_frees, 1);
}

TEST(ComponentLifetime, QueryInterfaceHandsOutNothing) {
    main_component component;
    constexpr GUID iunknown_id = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    for (const GUID& id : {iunknown_id, plugin_interface_id}) {
        void* out = &component;
        EXPECT_EQ(component.QueryInterface(id, &out), static_cast<HRESULT>(0x80004002u));
        EXPECT_EQ(out, &component) << "the out pointer is not written";
    }
}

TEST(ComponentLifetime, DestroyFreesOnlyWhenBitZeroIsSet) {
    struct Case {
        std::uint32_t flags;
        bool frees;
    };
    for (const Case c : {Case{0, false}, Case{2, false}, Case{1, true}, Case{3, true}}) {
        SCOPED_TRACE(c.flags);
        if (c.frees) {
            auto* component = new main_component;
            watch freed(component);
            EXPECT_EQ(component->destroy(c.flags), component);
            EXPECT_EQ(watched_frees, 1);
        } else {
            alignas(main_component) unsigned char storage[sizeof(main_component)];
            watch freed(storage);
            auto* component = new (storage) main_component;
            EXPECT_EQ(component->destroy(c.flags), storage);
            EXPECT_EQ(watched_frees, 0);
        }
    }
}

}  // namespace
