// The host's interface objects as the plug-in receives them. Internal to simhost.
#pragma once

#include <memory>
#include <string>

#include "simhost/host_objects/host_context.h"

// Where the host's table holds the result-pointer forms of the operations that
// return a Vec3 or ImageSize (host/host_interface.h), the objects implement
// those forms by way of the value forms.
#if ORB_HOST_RECORDS_THROUGH_POINTER
#define SIMHOST_RECORD_OVERRIDE
#else
#define SIMHOST_RECORD_OVERRIDE override
#endif

namespace simhost {

class SceneObject final : public AuditedObject<host_scene> {
public:
    // The host holds the scene for the length of the command.
    explicit SceneObject(HostContext& host) : AuditedObject(host, "scene", "the host's command", 1) {}

    host_dialog* create_dialog(std::int32_t zero1, std::int32_t zero2, host_reserved) override;
    host_progress* create_progress(const char* title, std::int32_t zero, host_reserved) override;
    void orientation_matrix(const Vec3& direction, const Vec3& up, Mat4* out, host_reserved) override;
    host_renderer* get_renderer(host_reserved) override;
    host_camera* get_camera(host_reserved) override;
    host_light* get_light(host_reserved) override;
    void restore_active_object(host_reserved) override;
    void update(host_reserved) override;
    void prepare_active_object(std::int32_t zero1, std::int32_t zero2, host_reserved) override;
    void select_object(const char* name, host_reserved) override;
    void begin_preparation(host_reserved) override;
    void end_restoration(host_reserved) override;
    void end_preparation(host_reserved) override;
    host_part* find_object(const char* name, host_reserved) override;
    void make_part(const char* name, host_reserved) override;
    host_part* create_camera_object(const Vec3& eye, const Vec3& target, const char* name, host_reserved) override;
    std::int32_t camera_object_count(std::int32_t zero1, std::int32_t zero2, std::int32_t zero3,
                                     host_reserved) override;

private:
    host_part* lend(const ObjectRef& ref, const std::string& object_name, const std::string& origin);
};

class DialogObject final : public AuditedObject<host_dialog> {
public:
    DialogObject(HostContext& host, DialogRecord& record)
        : AuditedObject(host, "dialog", "scene.create_dialog", 0), record_(record) {}

    bool read_check_box(std::int32_t item, host_reserved) override;
    std::int32_t read_integer(std::int32_t item, host_reserved) override;
    void set_integer(std::int32_t item, std::int32_t value, host_reserved) override;
    float read_real(std::int32_t item, host_reserved) override;
    void set_real(std::int32_t item, float value, host_reserved) override;
    std::int32_t read_selection(std::int32_t item, host_reserved) override;
    bool show_modal(host_reserved) override;
    std::int32_t append_item(std::int32_t kind, const char* label, std::int32_t id, const char* unit,
                             host_reserved) override;
    void set_title(const char* title, host_reserved) override;

private:
    DialogItem& item(std::int32_t handle);
    double read(const char* operation, std::int32_t handle, host_reserved reserved);
    void write(const char* operation, std::int32_t handle, double value, host_reserved reserved);
    DialogRecord& record_;
};

class ProgressObject final : public AuditedObject<host_progress> {
public:
    ProgressObject(HostContext& host, ProgressRecord& record);

    void set_range(std::int32_t low, std::int32_t high, host_reserved) override;
    void set_position(std::int32_t position, host_reserved) override;
    void advance(std::int32_t step, host_reserved) override;
    void on_last_release() override;

private:
    ProgressRecord& record_;
    void* window_;
};

class CameraObject final : public AuditedObject<host_camera> {
public:
    explicit CameraObject(HostContext& host) : AuditedObject(host, "camera", "scene.get_camera", 0) {}

    Vec3 eye_point(std::int32_t zero, host_reserved) SIMHOST_RECORD_OVERRIDE;
    Vec3 target_point(std::int32_t zero, host_reserved) SIMHOST_RECORD_OVERRIDE;
#if ORB_HOST_RECORDS_THROUGH_POINTER
    Vec3* eye_point_into(Vec3* result, std::int32_t zero, host_reserved reserved) override {
        *result = eye_point(zero, reserved);
        return result;
    }
    Vec3* target_point_into(Vec3* result, std::int32_t zero, host_reserved reserved) override {
        *result = target_point(zero, reserved);
        return result;
    }
#endif
    void set_float_setting(std::int32_t zero, float value, host_reserved) override;
    float get_float_setting(std::int32_t zero, host_reserved) override;
    void set_current_index(std::int32_t index, host_reserved) override;
    std::int32_t current_index(host_reserved) override;
    void set_mode_value(std::int32_t mode, host_reserved) override;
    std::int32_t other_entry_count(host_reserved) override;

private:
    CameraEntry& current();
};

class LightObject final : public AuditedObject<host_light> {
public:
    explicit LightObject(HostContext& host) : AuditedObject(host, "light", "scene.get_light", 0) {}

    void set_vector(std::int32_t zero, const Vec3& vector, host_reserved) override;
    Vec3 get_vector(std::int32_t zero, host_reserved) SIMHOST_RECORD_OVERRIDE;
#if ORB_HOST_RECORDS_THROUGH_POINTER
    Vec3* get_vector_into(Vec3* result, std::int32_t zero, host_reserved reserved) override {
        *result = get_vector(zero, reserved);
        return result;
    }
#endif
};

// A scene object lent by name: the scene keeps its reference.
class PartObject final : public AuditedObject<host_part> {
public:
    PartObject(HostContext& host, ObjectRef ref, std::string object_name, const std::string& origin)
        : AuditedObject(host, "part", origin, 1), ref_(ref), object_name_(std::move(object_name)) {}

    void transform(const Mat4& matrix, host_reserved) override;

private:
    ObjectRef ref_;
    std::string object_name_;
};

class RendererObject final : public AuditedObject<host_renderer> {
public:
    explicit RendererObject(HostContext& host) : AuditedObject(host, "renderer", "scene.get_renderer", 0) {}

    void render(host_reserved) override;
    void start_recording(const char* const* path, host_reserved) override;
    void append_frame(host_reserved) override;
    void end_recording(host_reserved) override;
    void set_image_size(ImageSize size, host_reserved) override;
    ImageSize get_image_size(host_reserved) SIMHOST_RECORD_OVERRIDE;
#if ORB_HOST_RECORDS_THROUGH_POINTER
    ImageSize* get_image_size_into(ImageSize* result, host_reserved reserved) override {
        *result = get_image_size(reserved);
        return result;
    }
#endif
    host_image* current_image(host_reserved) override;
    void region(const ImageRect& rect, host_reserved) override;
};

class ImageObject final : public AuditedObject<host_image> {
public:
    ImageObject(HostContext& host, std::shared_ptr<Image> image, const std::string& origin);
    ~ImageObject() override;

    host_canvas* drawing_surface(host_reserved) override;
    host_image* copy(ImageSize size, std::int32_t one, std::int32_t bits, host_reserved) override;
    void on_last_release() override;

    const std::shared_ptr<Image>& pixels() const { return image_; }

private:
    std::shared_ptr<Image> image_;
};

class CanvasObject final : public AuditedObject<host_canvas> {
public:
    CanvasObject(HostContext& host, std::shared_ptr<Image> target)
        : AuditedObject(host, "canvas", "image.drawing_surface", 0), target_(std::move(target)) {}

    void copy_image_into(host_image* image, const ImageRect& rect, host_reserved) override;
    void on_last_release() override { target_.reset(); }

private:
    std::shared_ptr<Image> target_;
};

// The application object handed to the plug-in's get_name export.
class AppObject final : public AuditedObject<host_app> {
public:
    explicit AppObject(HostContext& host) : AuditedObject(host, "app", "the host", 1) {}
};

}  // namespace simhost
