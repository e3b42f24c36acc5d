// The host application's interface objects, as the plug-in calls them.
//
// Each object is reference-counted (IUnknown first) and lists its operations
// in the order of the host's virtual table; the order is the binary contract,
// so never reorder, insert or remove an operation. Every operation takes a
// trailing reserved word, always passed as 0. Objects returned by the get_ and
// create_ operations carry a reference the caller must release (see
// host_ref.h); find_object and create_camera_object return borrowed pointers.
// The plug-in makes every call through host_call (host_call.h).
#pragma once

#include <cstdint>

#include "geometry/vec.h"
#include "host/com_base.h"
#include "host/host_types.h"

using host_reserved = std::int32_t;

// The host's compiler (Microsoft's, on 32-bit Windows) returns a record from a
// member function through a pointer the caller passes as the first stack
// word, which the callee pops and hands back in eax; GCC would pass that
// pointer in ecx instead of the object. So there each operation returning a
// Vec3 or ImageSize is declared as the host's compiler builds it, an
// operation_into taking the result pointer first, and the plug-in calls it
// through an inline operation of the usual name that yields the record.
#if defined(_WIN32) && defined(__i386__)
#define ORB_HOST_RECORDS_THROUGH_POINTER 1
#else
#define ORB_HOST_RECORDS_THROUGH_POINTER 0
#endif

struct host_dialog;
struct host_progress;
struct host_renderer;
struct host_camera;
struct host_light;
struct host_part;
struct host_image;
struct host_canvas;

// Dialog item kinds.
enum host_dialog_item_kind : std::int32_t {
    dialog_check_box = 1,
    dialog_selection = 2,
    dialog_integer = 3,
    dialog_real = 4,
    dialog_group_begin = 9,
    dialog_group_end = 10,
};

// Handed to the exports; the plug-in calls none of its operations.
struct host_app : IUnknown {};

struct host_scene : IUnknown {
    virtual host_dialog* create_dialog(std::int32_t zero1, std::int32_t zero2, host_reserved) = 0;
    virtual host_progress* create_progress(const char* title, std::int32_t zero, host_reserved) = 0;
    virtual void orientation_matrix(const Vec3& direction, const Vec3& up, Mat4* out, host_reserved) = 0;
    virtual host_renderer* get_renderer(host_reserved) = 0;
    virtual host_camera* get_camera(host_reserved) = 0;
    virtual host_light* get_light(host_reserved) = 0;
    virtual void restore_active_object(host_reserved) = 0;
    virtual void update(host_reserved) = 0;
    virtual void prepare_active_object(std::int32_t zero1, std::int32_t zero2, host_reserved) = 0;
    virtual void select_object(const char* name, host_reserved) = 0;
    virtual void begin_preparation(host_reserved) = 0;
    virtual void end_restoration(host_reserved) = 0;
    virtual void end_preparation(host_reserved) = 0;
    virtual host_part* find_object(const char* name, host_reserved) = 0;
    virtual void make_part(const char* name, host_reserved) = 0;
    virtual host_part* create_camera_object(const Vec3& eye, const Vec3& target, const char* name,
                                            host_reserved) = 0;
    virtual std::int32_t camera_object_count(std::int32_t zero1, std::int32_t zero2, std::int32_t zero3,
                                             host_reserved) = 0;
};

struct host_dialog : IUnknown {
    virtual bool read_check_box(std::int32_t item, host_reserved) = 0;
    virtual std::int32_t read_integer(std::int32_t item, host_reserved) = 0;
    virtual void set_integer(std::int32_t item, std::int32_t value, host_reserved) = 0;
    virtual float read_real(std::int32_t item, host_reserved) = 0;
    virtual void set_real(std::int32_t item, float value, host_reserved) = 0;
    virtual std::int32_t read_selection(std::int32_t item, host_reserved) = 0;
    // True when the user confirms the dialog.
    virtual bool show_modal(host_reserved) = 0;
    // Returns the new item's handle; unit may be null.
    virtual std::int32_t append_item(std::int32_t kind, const char* label, std::int32_t id, const char* unit,
                                     host_reserved) = 0;
    virtual void set_title(const char* title, host_reserved) = 0;
};

struct host_progress : IUnknown {
    virtual void set_range(std::int32_t low, std::int32_t high, host_reserved) = 0;
    virtual void set_position(std::int32_t position, host_reserved) = 0;
    // Throws the host's abort exception when the user has asked to stop.
    virtual void advance(std::int32_t step, host_reserved) = 0;
};

struct host_camera : IUnknown {
#if ORB_HOST_RECORDS_THROUGH_POINTER
    virtual Vec3* eye_point_into(Vec3* result, std::int32_t zero, host_reserved) = 0;
    virtual Vec3* target_point_into(Vec3* result, std::int32_t zero, host_reserved) = 0;
    Vec3 eye_point(std::int32_t zero, host_reserved reserved) {
        Vec3 point;
        return *eye_point_into(&point, zero, reserved);
    }
    Vec3 target_point(std::int32_t zero, host_reserved reserved) {
        Vec3 point;
        return *target_point_into(&point, zero, reserved);
    }
#else
    virtual Vec3 eye_point(std::int32_t zero, host_reserved) = 0;
    virtual Vec3 target_point(std::int32_t zero, host_reserved) = 0;
#endif
    virtual void set_float_setting(std::int32_t zero, float value, host_reserved) = 0;
    virtual float get_float_setting(std::int32_t zero, host_reserved) = 0;
    virtual void set_current_index(std::int32_t index, host_reserved) = 0;
    virtual std::int32_t current_index(host_reserved) = 0;
    virtual void set_mode_value(std::int32_t mode, host_reserved) = 0;
    // Entries of the camera list that are not camera objects (the user's views).
    virtual std::int32_t other_entry_count(host_reserved) = 0;
};

struct host_light : IUnknown {
    virtual void set_vector(std::int32_t zero, const Vec3& vector, host_reserved) = 0;
#if ORB_HOST_RECORDS_THROUGH_POINTER
    virtual Vec3* get_vector_into(Vec3* result, std::int32_t zero, host_reserved) = 0;
    Vec3 get_vector(std::int32_t zero, host_reserved reserved) {
        Vec3 vector;
        return *get_vector_into(&vector, zero, reserved);
    }
#else
    virtual Vec3 get_vector(std::int32_t zero, host_reserved) = 0;
#endif
};

struct host_part : IUnknown {
    virtual void transform(const Mat4& matrix, host_reserved) = 0;
};

struct host_renderer : IUnknown {
    virtual void render(host_reserved) = 0;
    virtual void start_recording(const char* const* path, host_reserved) = 0;
    virtual void append_frame(host_reserved) = 0;
    virtual void end_recording(host_reserved) = 0;
    virtual void set_image_size(ImageSize size, host_reserved) = 0;
#if ORB_HOST_RECORDS_THROUGH_POINTER
    virtual ImageSize* get_image_size_into(ImageSize* result, host_reserved) = 0;
    ImageSize get_image_size(host_reserved reserved) {
        ImageSize size;
        return *get_image_size_into(&size, reserved);
    }
#else
    virtual ImageSize get_image_size(host_reserved) = 0;
#endif
    virtual host_image* current_image(host_reserved) = 0;
    // Makes the current image match the current image size.
    virtual void region(const ImageRect& rect, host_reserved) = 0;
};

struct host_image : IUnknown {
    virtual host_canvas* drawing_surface(host_reserved) = 0;
    // An independent image of the given size; may return null.
    virtual host_image* copy(ImageSize size, std::int32_t one, std::int32_t bits, host_reserved) = 0;
};

struct host_canvas : IUnknown {
    virtual void copy_image_into(host_image* image, const ImageRect& rect, host_reserved) = 0;
};
