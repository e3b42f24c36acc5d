// The host's plug-in interface: 200 operations after unknown_interface's five.
//
// The order of the operations is the binary contract with the host (its
// virtual table), so never reorder, insert or remove one. Operations the host
// does not name for us are called operation_N, N counting this class's own
// operations from 1. A component overrides what it implements; the rest keep
// the neutral defaults below. Each argument is one 32-bit word of the host's.
#pragma once

#include <cstdint>

#include "host/host_interface.h"
#include "platform/host_exceptions.h"
#include "plugin/plugin_identity.h"
#include "plugin/unknown_interface.h"

// One 32-bit argument word of the host.
using plugin_word = std::int32_t;

// Operations 90 to 200 have no neutral answer: they throw int 0, the exception
// kind the host learns from the exception export, as the host's compiler throws it.
#define ORB_THROWING_OPERATION(n) \
    virtual void operation_##n() { platform::throw_int_zero(); }
#define ORB_TEN_THROWING_OPERATIONS(tens)                                                      \
    ORB_THROWING_OPERATION(tens##0) ORB_THROWING_OPERATION(tens##1) ORB_THROWING_OPERATION(tens##2) \
    ORB_THROWING_OPERATION(tens##3) ORB_THROWING_OPERATION(tens##4) ORB_THROWING_OPERATION(tens##5) \
    ORB_THROWING_OPERATION(tens##6) ORB_THROWING_OPERATION(tens##7) ORB_THROWING_OPERATION(tens##8) \
    ORB_THROWING_OPERATION(tens##9)

class plugin_interface : public unknown_interface {
public:
    using word = plugin_word;

    // Own operation 1: which component this is.
    virtual std::int32_t component_id(word) { return 0; }
    virtual std::int32_t operation_2(word, word) { return 0; }
    virtual std::int32_t operation_3(word, word) { return 0; }
    virtual std::int32_t operation_4(word, word, word) { return 0; }
    virtual void operation_5(word, word, word) {}
    virtual void operation_6(word, word, word) {}
    virtual void operation_7(word, word, word) {}
    virtual void operation_8(word, word, word) {}
    virtual void operation_9(word, word, word) {}
    virtual void operation_10(word, word, word) {}
    virtual void operation_11(word, word, word) {}
    virtual void operation_12(word, word, word) {}
    virtual void operation_13(word, word, word) {}
    virtual void operation_14(word, word, word) {}
    virtual void operation_15(word, word, word) {}
    virtual void operation_16(word, word, word) {}
    virtual void operation_17(word, word, word) {}
    virtual void operation_18(word, word, word) {}
    virtual std::int32_t operation_19(word, word) { return 0; }
    virtual void operation_20(word, word, word) {}
    virtual void operation_21(word, word, word, word) {}
    virtual std::int32_t operation_22(word, word, word) { return 0; }
    virtual char* operation_23(char* result, word, word, word, word, word) { return empty_result(result); }
    virtual char* operation_24(char* result, word, word, word, word, word, word) { return empty_result(result); }
    virtual char* operation_25(char* result, word, word, word, word) { return empty_result(result); }
    virtual char* operation_26(char* result, word, word) { return empty_result(result); }
    virtual char* operation_27(char* result, word, word) { return empty_result(result); }
    // Own operation 28: runs the plug-in's command on the host's scene. The first
    // and third words are unused.
    virtual void invoke(word, host_scene* scene, word) { (void)scene; }
    virtual char* operation_29(char* result, word, word) { return empty_result(result); }
    virtual char* operation_30(char* result, word, word, word, word, word) { return empty_result(result); }
    virtual char* operation_31(char* result, word, word, word, word, word) { return empty_result(result); }
    // Own operation 32: the revision of the host's plug-in interface we were built for.
    virtual std::int32_t revision() { return plugin_revision; }
    virtual char* operation_33(char* result, word, word, word) { return empty_result(result); }
    virtual char* operation_34(char* result, word, word, word, word) { return empty_result(result); }
    virtual char* operation_35(char* result, word, word, word, word) { return empty_result(result); }
    virtual char* operation_36(char* result, word, word) { return empty_result(result); }
    virtual bool operation_37(word) { return true; }
    virtual bool operation_38() { return false; }
    virtual bool operation_39() { return false; }
    virtual std::int32_t operation_40(word, word) { return 0; }
    virtual std::int32_t operation_41(word, word) { return 0; }
    virtual std::int32_t operation_42(word, word) { return 0; }
    virtual std::int32_t operation_43(word, word) { return 0; }
    virtual std::int32_t operation_44(word, word) { return 0; }
    virtual std::int32_t operation_45(word, word) { return 0; }
    virtual std::int32_t operation_46(word, word) { return 0; }
    virtual std::int32_t operation_47(word, word) { return 0; }
    virtual void operation_48(word) {}
    virtual bool operation_49(word) { return false; }
    virtual bool operation_50(word) { return false; }
    virtual bool operation_51(word) { return false; }
    virtual bool operation_52(word) { return false; }
    virtual bool operation_53(word, word, word) { return true; }
    virtual bool operation_54(word, word, word, word) { return true; }
    virtual bool operation_55(word, word, word, word) { return true; }
    virtual bool operation_56(word, word, word) { return true; }
    virtual bool operation_57(word, word) { return false; }
    virtual bool operation_58(word, word) { return true; }
    virtual char* operation_59(char* result, word, word, word, word) { return empty_result(result); }
    virtual char* operation_60(char* result, word, word, word, word) { return empty_result(result); }
    virtual char* operation_61(char* result, word, word, word, word) { return empty_result(result); }
    virtual char* operation_62(char* result, word, word) { return empty_result(result); }
    virtual bool operation_63(word) { return false; }
    virtual std::int32_t operation_64(word) { return 1; }
    virtual void operation_65(word, word, word, word) {}
    virtual bool operation_66(word) { return false; }
    virtual void operation_67(word, word) {}
    virtual void operation_68(word, word) {}
    virtual void operation_69(word, word) {}
    virtual bool operation_70(word) { return false; }
    virtual void operation_71(word, word, word) {}
    virtual char* operation_72(char* result, word, word) { return empty_result(result); }
    virtual char* operation_73(char* result, word, word) { return empty_result(result); }
    virtual void operation_74(word, word, word, word, word) {}
    virtual char* operation_75(char* result, word, word) { return empty_result(result); }
    virtual char* operation_76(char* result, word, word) { return empty_result(result); }
    virtual char* operation_77(char* result, word, word) { return empty_result(result); }
    virtual std::int32_t operation_78(word, word) { return 0; }
    virtual void operation_79(word) {}
    virtual char* operation_80(char* result, word, word, word) { return empty_result(result); }
    virtual char* operation_81(char* result, word, word, word) { return empty_result(result); }
    virtual char* operation_82(char* result, word, word) { return empty_result(result); }
    virtual std::int32_t operation_83() { return 0; }
    virtual void operation_84(word, word) {}
    virtual char* operation_85(char* result, word, word) { return empty_result(result); }
    virtual char* operation_86(char* result, word, word) { return empty_result(result); }
    virtual char* operation_87(char* result, word, word, word) { return empty_result(result); }
    virtual char* operation_88(char* result, word, word) { return empty_result(result); }
    virtual char* operation_89(char* result, word, word) { return empty_result(result); }

    // Operations 90 to 200.
    ORB_TEN_THROWING_OPERATIONS(9)
    ORB_TEN_THROWING_OPERATIONS(10)
    ORB_TEN_THROWING_OPERATIONS(11)
    ORB_TEN_THROWING_OPERATIONS(12)
    ORB_TEN_THROWING_OPERATIONS(13)
    ORB_TEN_THROWING_OPERATIONS(14)
    ORB_TEN_THROWING_OPERATIONS(15)
    ORB_TEN_THROWING_OPERATIONS(16)
    ORB_TEN_THROWING_OPERATIONS(17)
    ORB_TEN_THROWING_OPERATIONS(18)
    ORB_TEN_THROWING_OPERATIONS(19)
    ORB_THROWING_OPERATION(200)

protected:
    plugin_interface() = default;
    ~plugin_interface() = default;

private:
    // The default of the operations that hand back a text or result in the
    // caller's storage: an empty one.
    static char* empty_result(char* result) {
        *result = 0;
        return result;
    }
};

#undef ORB_TEN_THROWING_OPERATIONS
#undef ORB_THROWING_OPERATION
