// The host's object tables and the plug-in component's table, as a host built
// with Microsoft's compiler declares them. Written from the host's order of
// operations, apart from the plug-in's host/ headers, so that a slip in either
// side's order shows as a wrong call. Compiled by clang for
// i686-pc-windows-msvc only: members are thiscall, IUnknown's three are
// stdcall, a Vec3 or ImageSize comes back through a hidden result pointer,
// and a virtual destructor takes one table slot.
#pragma once

#include "simhost/msvc_host/runtime.h"

namespace msvc_host {

struct guid {
    unsigned int data1;
    unsigned short data2, data3;
    unsigned char data4[8];
};

struct vec3 {
    float x, y, z;
};

struct mat4 {
    float m[16];  // row by row
};

struct image_size {
    int width, height;
};

struct image_rect {
    int left, top, right, bottom;
};

struct iunknown {
    virtual long __stdcall QueryInterface(const guid& iid, void** object) = 0;
    virtual unsigned long __stdcall AddRef() = 0;
    virtual unsigned long __stdcall Release() = 0;
};

struct host_dialog;
struct host_progress;
struct host_renderer;
struct host_camera;
struct host_light;
struct host_part;
struct host_image;
struct host_canvas;

// Every operation ends with a reserved word, which the plug-in passes as 0.
struct host_scene : iunknown {
    virtual host_dialog* create_dialog(int zero1, int zero2, int reserved) = 0;
    virtual host_progress* create_progress(const char* title, int zero, int reserved) = 0;
    virtual void orientation_matrix(const vec3& direction, const vec3& up, mat4* out, int reserved) = 0;
    virtual host_renderer* get_renderer(int reserved) = 0;
    virtual host_camera* get_camera(int reserved) = 0;
    virtual host_light* get_light(int reserved) = 0;
    virtual void restore_active_object(int reserved) = 0;
    virtual void update(int reserved) = 0;
    virtual void prepare_active_object(int zero1, int zero2, int reserved) = 0;
    virtual void select_object(const char* name, int reserved) = 0;
    virtual void begin_preparation(int reserved) = 0;
    virtual void end_restoration(int reserved) = 0;
    virtual void end_preparation(int reserved) = 0;
    virtual host_part* find_object(const char* name, int reserved) = 0;
    virtual void make_part(const char* name, int reserved) = 0;
    virtual host_part* create_camera_object(const vec3& eye, const vec3& target, const char* name, int reserved) = 0;
    virtual int camera_object_count(int zero1, int zero2, int zero3, int reserved) = 0;
};

struct host_dialog : iunknown {
    virtual bool read_check_box(int item, int reserved) = 0;
    virtual int read_integer(int item, int reserved) = 0;
    virtual void set_integer(int item, int value, int reserved) = 0;
    virtual float read_real(int item, int reserved) = 0;
    virtual void set_real(int item, float value, int reserved) = 0;
    virtual int read_selection(int item, int reserved) = 0;
    virtual bool show_modal(int reserved) = 0;
    virtual int append_item(int kind, const char* label, int id, const char* unit, int reserved) = 0;
    virtual void set_title(const char* title, int reserved) = 0;
};

struct host_progress : iunknown {
    virtual void set_range(int low, int high, int reserved) = 0;
    virtual void set_position(int position, int reserved) = 0;
    virtual void advance(int step, int reserved) = 0;  // raises the host's stop when the user asks
};

struct host_camera : iunknown {
    virtual vec3 eye_point(int zero, int reserved) = 0;
    virtual vec3 target_point(int zero, int reserved) = 0;
    virtual void set_float_setting(int zero, float value, int reserved) = 0;
    virtual float get_float_setting(int zero, int reserved) = 0;
    virtual void set_current_index(int index, int reserved) = 0;
    virtual int current_index(int reserved) = 0;
    virtual void set_mode_value(int mode, int reserved) = 0;
    virtual int other_entry_count(int reserved) = 0;
};

struct host_light : iunknown {
    virtual void set_vector(int zero, const vec3& vector, int reserved) = 0;
    virtual vec3 get_vector(int zero, int reserved) = 0;
};

struct host_part : iunknown {
    virtual void transform(const mat4& matrix, int reserved) = 0;
};

struct host_renderer : iunknown {
    virtual void render(int reserved) = 0;
    virtual void start_recording(const char* const* path, int reserved) = 0;
    virtual void append_frame(int reserved) = 0;
    virtual void end_recording(int reserved) = 0;
    virtual void set_image_size(image_size size, int reserved) = 0;
    virtual image_size get_image_size(int reserved) = 0;
    virtual host_image* current_image(int reserved) = 0;
    virtual void region(const image_rect& rect, int reserved) = 0;
};

struct host_image : iunknown {
    virtual host_canvas* drawing_surface(int reserved) = 0;
    virtual host_image* copy(image_size size, int one, int bits, int reserved) = 0;
};

struct host_canvas : iunknown {
    virtual void copy_image_into(host_image* image, const image_rect& rect, int reserved) = 0;
};

struct host_app : iunknown {};

// The plug-in's component. Own operations are counted from component_id (1);
// those the host calls here carry names, the rest hold their places.
#define MSVC_HOST_SLOT(n) virtual void operation_##n() = 0;
#define MSVC_HOST_TEN_SLOTS(tens)                                                                   \
    MSVC_HOST_SLOT(tens##0) MSVC_HOST_SLOT(tens##1) MSVC_HOST_SLOT(tens##2) MSVC_HOST_SLOT(tens##3) \
    MSVC_HOST_SLOT(tens##4) MSVC_HOST_SLOT(tens##5) MSVC_HOST_SLOT(tens##6) MSVC_HOST_SLOT(tens##7) \
    MSVC_HOST_SLOT(tens##8) MSVC_HOST_SLOT(tens##9)

struct plugin_component : iunknown {
    virtual ~plugin_component() = default;  // one slot: the deleting destructor
    virtual bool probe() = 0;
    virtual int component_id(int) = 0;
    MSVC_HOST_SLOT(2) MSVC_HOST_SLOT(3) MSVC_HOST_SLOT(4) MSVC_HOST_SLOT(5) MSVC_HOST_SLOT(6)
    MSVC_HOST_SLOT(7) MSVC_HOST_SLOT(8) MSVC_HOST_SLOT(9) MSVC_HOST_TEN_SLOTS(1)
    MSVC_HOST_SLOT(20) MSVC_HOST_SLOT(21) MSVC_HOST_SLOT(22) MSVC_HOST_SLOT(23) MSVC_HOST_SLOT(24)
    MSVC_HOST_SLOT(25) MSVC_HOST_SLOT(26) MSVC_HOST_SLOT(27)
    virtual void invoke(int, host_scene* scene, int) = 0;  // own operation 28
    MSVC_HOST_SLOT(29) MSVC_HOST_SLOT(30) MSVC_HOST_SLOT(31)
    virtual int revision() = 0;  // own operation 32
    MSVC_HOST_SLOT(33) MSVC_HOST_SLOT(34) MSVC_HOST_SLOT(35) MSVC_HOST_SLOT(36) MSVC_HOST_SLOT(37)
    MSVC_HOST_SLOT(38) MSVC_HOST_SLOT(39)
    MSVC_HOST_TEN_SLOTS(4) MSVC_HOST_TEN_SLOTS(5) MSVC_HOST_TEN_SLOTS(6) MSVC_HOST_TEN_SLOTS(7)
    MSVC_HOST_TEN_SLOTS(8) MSVC_HOST_TEN_SLOTS(9) MSVC_HOST_TEN_SLOTS(10) MSVC_HOST_TEN_SLOTS(11)
    MSVC_HOST_TEN_SLOTS(12) MSVC_HOST_TEN_SLOTS(13) MSVC_HOST_TEN_SLOTS(14) MSVC_HOST_TEN_SLOTS(15)
    MSVC_HOST_TEN_SLOTS(16) MSVC_HOST_TEN_SLOTS(17) MSVC_HOST_TEN_SLOTS(18) MSVC_HOST_TEN_SLOTS(19)
    MSVC_HOST_SLOT(200)
};

#undef MSVC_HOST_TEN_SLOTS
#undef MSVC_HOST_SLOT

// The operations that throw int 0 at the host, own operations 90 to 200.
using throwing_operation = void (plugin_component::*)();
constexpr int first_throwing_operation = 90;
constexpr int last_throwing_operation = 200;
extern const throwing_operation throwing_operations[last_throwing_operation - first_throwing_operation + 1];

// The host's plug-in interface {50E47D69-8922-11D1-9A00-00C04FCC9C26}.
constexpr guid plugin_interface_id{0x50E47D69, 0x8922, 0x11D1, {0x9A, 0x00, 0x00, 0xC0, 0x4F, 0xCC, 0x9C, 0x26}};

// The exports.
using has_interface_fn = int(__cdecl*)(const guid*, int);
using get_name_fn = const char*(__cdecl*)(const guid*, int, host_app*, int);
using get_interface_version_fn = int(__cdecl*)(int);
using create_interface_fn = void(__cdecl*)(const guid*, int, plugin_component**, int, int);
using get_id_fn = int(__cdecl*)(const guid*, int, int);
using get_exception_fn = int(__stdcall*)(int, int);
struct plugin_info {
    int numbers[6];
    const char* name;
    const char* author;
    const char* company;
    const char* description;
};
using get_info_fn = plugin_info(__stdcall*)(int, int);
using get_text_encoding_fn = int(__stdcall*)(int, int);
using has_separate_interfaces_fn = bool(__stdcall*)(int);
using is_resident_fn = bool(__stdcall*)(int, int, int);

}  // namespace msvc_host
