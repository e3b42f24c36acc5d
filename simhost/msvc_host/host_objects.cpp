#include "simhost/msvc_host/host_objects.h"

#include "simhost/msvc_host/engine_abi.h"
#include "simhost/msvc_host/raised_exceptions.h"

namespace msvc_host {

int host_failure::raised = 0;
int host_failure::alive = 0;

host_failure::host_failure(const char* failed_operation, const char* why) : serial(++raised) {
    copy_text(operation, sizeof operation, failed_operation);
    copy_text(reason, sizeof reason, why);
    ++alive;
}

host_failure::host_failure(const host_failure& other) : serial(other.serial) {
    copy_text(operation, sizeof operation, other.operation);
    copy_text(reason, sizeof reason, other.reason);
    ++alive;
}

host_failure::~host_failure() { --alive; }

namespace {

constexpr long no_interface = static_cast<long>(0x80004002u);

// ORBIVANE_HOST_FAIL_AT="interface.operation:N" makes call N of that operation
// in each command raise a host_failure, as a failing host operation would, or
// the kind ORBIVANE_HOST_RAISE names (raised_exceptions.h).
struct injected_failure {
    bool read;
    char operation[48];
    int occurrence;
    int calls;
    bool rethrow;  // the next injected failure is throw;
};
injected_failure injected{};

void read_injected_failure() {
    injected.read = true;
    const char* setting = getenv("ORBIVANE_HOST_FAIL_AT");
    if (!setting) return;
    int length = 0;
    while (setting[length] && setting[length] != ':' && length + 1 < static_cast<int>(sizeof injected.operation)) {
        injected.operation[length] = setting[length];
        ++length;
    }
    injected.operation[length] = '\0';
    injected.occurrence = setting[length] == ':' ? static_cast<int>(strtol(setting + length + 1, nullptr, 10)) : 1;
}

void fail_if_injected(const char* operation) {
    if (!injected.read) read_injected_failure();
    if (!injected.operation[0] || strcmp(operation, injected.operation) != 0) return;
    if (++injected.calls != injected.occurrence) return;
    char reason[160];
    _snprintf(reason, sizeof reason, "injected failure: call %d of %s fails", injected.calls, operation);
    reason[sizeof reason - 1] = '\0';
    if (injected.rethrow) {
        injected.rethrow = false;
        throw;  // what the catch this command runs in holds
    }
    const raised_kind kind = injected_kind();
    switch (kind) {
    case raised_kind::failure:
    case raised_kind::rethrow:
    case raised_kind::reentrant: throw host_failure(operation, reason);
    case raised_kind::caught_rethrown:
        try {
            throw host_failure(operation, reason);
        } catch (...) {
            throw;
        }
    default: raise_kind(kind, ++host_failure::raised, reason);
    }
}

int references = 0;
int stops = 0;

engine_arguments with_reserved(int reserved) {
    engine_arguments arguments{};
    arguments.reserved = reserved;
    return arguments;
}

void put(float (&to)[3], const vec3& v) {
    to[0] = v.x;
    to[1] = v.y;
    to[2] = v.z;
}

// Runs one operation on the engine's object and raises what the host raises.
engine_result perform(void* engine, int operation, const char* name, const engine_arguments& arguments) {
    fail_if_injected(name);
    engine_result result{};
    char message[200] = "";
    switch (engine_call(engine, operation, &arguments, &result, message, sizeof message)) {
    case engine_returned: return result;
    case engine_stopped: throw host_stop{++stops};
    default: throw host_failure(name, message);
    }
}

// One host object per engine object, found again by the engine's address.
class object_table {
public:
    void* find(void* engine) const {
        if (!slots_) return nullptr;
        for (unsigned i = hash(engine);; i = (i + 1) & (capacity_ - 1)) {
            if (slots_[i].engine == engine) return slots_[i].object;
            if (!slots_[i].engine) return nullptr;
        }
    }
    void add(void* engine, void* object) {
        if (2 * (count_ + 1) > capacity_) grow();
        unsigned i = hash(engine);
        while (slots_[i].engine) i = (i + 1) & (capacity_ - 1);
        slots_[i] = slot{engine, object};
        ++count_;
    }

private:
    struct slot {
        void* engine;
        void* object;
    };
    unsigned hash(void* engine) const {
        return (reinterpret_cast<unsigned>(engine) >> 3) * 2654435761u & (capacity_ - 1);
    }
    void grow() {
        slot* old = slots_;
        const unsigned old_capacity = capacity_;
        capacity_ = capacity_ ? 2 * capacity_ : 64;
        slots_ = static_cast<slot*>(calloc(capacity_, sizeof(slot)));
        if (!slots_) exit(70);
        count_ = 0;
        for (unsigned i = 0; i < old_capacity; ++i)
            if (old[i].engine) add(old[i].engine, old[i].object);
        free(old);
    }
    slot* slots_ = nullptr;
    unsigned capacity_ = 0;
    unsigned count_ = 0;
};
object_table objects;

template <typename Interface>
class engine_object : public Interface {
public:
    explicit engine_object(void* engine) : engine_(engine) {}
    long __stdcall QueryInterface(const guid&, void**) override { return no_interface; }
    unsigned long __stdcall AddRef() override {
        ++references;
        return static_cast<unsigned long>(perform(engine_, engine_add_ref, "AddRef", {}).word);
    }
    unsigned long __stdcall Release() override {
        --references;
        return static_cast<unsigned long>(perform(engine_, engine_release, "Release", {}).word);
    }
    void* engine() const { return engine_; }

protected:
    engine_result run(int operation, const char* name, const engine_arguments& arguments) {
        return perform(engine_, operation, name, arguments);
    }
    void* engine_;
};

// The host object for an engine object, made on first sight. owned: the
// operation hands the caller a reference, which the caller must release.
template <typename Object>
Object* host_object(void* engine, bool owned) {
    if (!engine) return nullptr;
    if (owned) ++references;
    if (void* known = objects.find(engine)) return static_cast<Object*>(known);
    Object* object = new Object(engine);
    objects.add(engine, object);
    return object;
}

class canvas_object;

class image_object final : public engine_object<host_image> {
public:
    using engine_object::engine_object;
    host_canvas* drawing_surface(int reserved) override;
    host_image* copy(image_size size, int one, int bits, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.size[0] = size.width;
        a.size[1] = size.height;
        a.words[0] = one;
        a.words[1] = bits;
        return host_object<image_object>(run(engine_image_copy, "image.copy", a).object, true);
    }
};

class canvas_object final : public engine_object<host_canvas> {
public:
    using engine_object::engine_object;
    void copy_image_into(host_image* image, const image_rect& rect, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.object = image ? static_cast<image_object*>(image)->engine() : nullptr;
        a.rect[0] = rect.left;
        a.rect[1] = rect.top;
        a.rect[2] = rect.right;
        a.rect[3] = rect.bottom;
        run(engine_canvas_copy_image_into, "canvas.copy_image_into", a);
    }
};

host_canvas* image_object::drawing_surface(int reserved) {
    return host_object<canvas_object>(
        run(engine_image_drawing_surface, "image.drawing_surface", with_reserved(reserved)).object, true);
}

class renderer_object final : public engine_object<host_renderer> {
public:
    using engine_object::engine_object;
    void render(int reserved) override { run(engine_renderer_render, "renderer.render", with_reserved(reserved)); }
    void start_recording(const char* const* path, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.path = path;
        run(engine_renderer_start_recording, "renderer.start_recording", a);
    }
    void append_frame(int reserved) override {
        run(engine_renderer_append_frame, "renderer.append_frame", with_reserved(reserved));
    }
    void end_recording(int reserved) override {
        run(engine_renderer_end_recording, "renderer.end_recording", with_reserved(reserved));
    }
    void set_image_size(image_size size, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.size[0] = size.width;
        a.size[1] = size.height;
        run(engine_renderer_set_image_size, "renderer.set_image_size", a);
    }
    image_size get_image_size(int reserved) override {
        const engine_result r = run(engine_renderer_get_image_size, "renderer.get_image_size", with_reserved(reserved));
        return image_size{r.size[0], r.size[1]};
    }
    host_image* current_image(int reserved) override {
        return host_object<image_object>(
            run(engine_renderer_current_image, "renderer.current_image", with_reserved(reserved)).object, true);
    }
    void region(const image_rect& rect, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.rect[0] = rect.left;
        a.rect[1] = rect.top;
        a.rect[2] = rect.right;
        a.rect[3] = rect.bottom;
        run(engine_renderer_region, "renderer.region", a);
    }
};

class part_object final : public engine_object<host_part> {
public:
    using engine_object::engine_object;
    void transform(const mat4& matrix, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.matrix = matrix.m;
        run(engine_part_transform, "part.transform", a);
    }
};

class light_object final : public engine_object<host_light> {
public:
    using engine_object::engine_object;
    void set_vector(int zero, const vec3& vector, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = zero;
        put(a.vectors[0], vector);
        run(engine_light_set_vector, "light.set_vector", a);
    }
    vec3 get_vector(int zero, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = zero;
        const engine_result r = run(engine_light_get_vector, "light.get_vector", a);
        return vec3{r.vector[0], r.vector[1], r.vector[2]};
    }
};

class camera_object final : public engine_object<host_camera> {
public:
    using engine_object::engine_object;
    vec3 eye_point(int zero, int reserved) override {
        return point(engine_camera_eye_point, "camera.eye_point", zero, reserved);
    }
    vec3 target_point(int zero, int reserved) override {
        return point(engine_camera_target_point, "camera.target_point", zero, reserved);
    }
    void set_float_setting(int zero, float value, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = zero;
        a.real = value;
        run(engine_camera_set_float_setting, "camera.set_float_setting", a);
    }
    float get_float_setting(int zero, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = zero;
        return run(engine_camera_get_float_setting, "camera.get_float_setting", a).real;
    }
    void set_current_index(int index, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = index;
        run(engine_camera_set_current_index, "camera.set_current_index", a);
    }
    int current_index(int reserved) override {
        return run(engine_camera_current_index, "camera.current_index", with_reserved(reserved)).word;
    }
    void set_mode_value(int mode, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = mode;
        run(engine_camera_set_mode_value, "camera.set_mode_value", a);
    }
    int other_entry_count(int reserved) override {
        return run(engine_camera_other_entry_count, "camera.other_entry_count", with_reserved(reserved)).word;
    }

private:
    vec3 point(int operation, const char* name, int zero, int reserved) {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = zero;
        const engine_result r = run(operation, name, a);
        return vec3{r.vector[0], r.vector[1], r.vector[2]};
    }
};

class progress_object final : public engine_object<host_progress> {
public:
    using engine_object::engine_object;
    void set_range(int low, int high, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = low;
        a.words[1] = high;
        run(engine_progress_set_range, "progress.set_range", a);
    }
    void set_position(int position, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = position;
        run(engine_progress_set_position, "progress.set_position", a);
    }
    void advance(int step, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = step;
        run(engine_progress_advance, "progress.advance", a);
    }
};

class dialog_object final : public engine_object<host_dialog> {
public:
    using engine_object::engine_object;
    bool read_check_box(int item, int reserved) override {
        return read(engine_dialog_read_check_box, "dialog.read_check_box", item, reserved).word != 0;
    }
    int read_integer(int item, int reserved) override {
        return read(engine_dialog_read_integer, "dialog.read_integer", item, reserved).word;
    }
    void set_integer(int item, int value, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = item;
        a.words[1] = value;
        run(engine_dialog_set_integer, "dialog.set_integer", a);
    }
    float read_real(int item, int reserved) override {
        return read(engine_dialog_read_real, "dialog.read_real", item, reserved).real;
    }
    void set_real(int item, float value, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = item;
        a.real = value;
        run(engine_dialog_set_real, "dialog.set_real", a);
    }
    int read_selection(int item, int reserved) override {
        return read(engine_dialog_read_selection, "dialog.read_selection", item, reserved).word;
    }
    bool show_modal(int reserved) override {
        return run(engine_dialog_show_modal, "dialog.show_modal", with_reserved(reserved)).word != 0;
    }
    int append_item(int kind, const char* label, int id, const char* unit, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = kind;
        a.words[1] = id;
        a.texts[0] = label;
        a.texts[1] = unit;
        return run(engine_dialog_append_item, "dialog.append_item", a).word;
    }
    void set_title(const char* title, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.texts[0] = title;
        run(engine_dialog_set_title, "dialog.set_title", a);
    }

private:
    engine_result read(int operation, const char* name, int item, int reserved) {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = item;
        return run(operation, name, a);
    }
};

class scene_object final : public engine_object<host_scene> {
public:
    using engine_object::engine_object;
    host_dialog* create_dialog(int zero1, int zero2, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = zero1;
        a.words[1] = zero2;
        return host_object<dialog_object>(run(engine_scene_create_dialog, "scene.create_dialog", a).object, true);
    }
    host_progress* create_progress(const char* title, int zero, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.texts[0] = title;
        a.words[0] = zero;
        return host_object<progress_object>(run(engine_scene_create_progress, "scene.create_progress", a).object, true);
    }
    void orientation_matrix(const vec3& direction, const vec3& up, mat4* out, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        put(a.vectors[0], direction);
        put(a.vectors[1], up);
        a.matrix_out = out ? out->m : nullptr;
        run(engine_scene_orientation_matrix, "scene.orientation_matrix", a);
    }
    host_renderer* get_renderer(int reserved) override {
        return host_object<renderer_object>(
            run(engine_scene_get_renderer, "scene.get_renderer", with_reserved(reserved)).object, true);
    }
    host_camera* get_camera(int reserved) override {
        return host_object<camera_object>(
            run(engine_scene_get_camera, "scene.get_camera", with_reserved(reserved)).object, true);
    }
    host_light* get_light(int reserved) override {
        return host_object<light_object>(run(engine_scene_get_light, "scene.get_light", with_reserved(reserved)).object,
                                         true);
    }
    void restore_active_object(int reserved) override {
        run(engine_scene_restore_active_object, "scene.restore_active_object", with_reserved(reserved));
    }
    void update(int reserved) override { run(engine_scene_update, "scene.update", with_reserved(reserved)); }
    void prepare_active_object(int zero1, int zero2, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = zero1;
        a.words[1] = zero2;
        run(engine_scene_prepare_active_object, "scene.prepare_active_object", a);
    }
    void select_object(const char* name, int reserved) override {
        named(engine_scene_select_object, "scene.select_object", name, reserved);
    }
    void begin_preparation(int reserved) override {
        run(engine_scene_begin_preparation, "scene.begin_preparation", with_reserved(reserved));
    }
    void end_restoration(int reserved) override {
        run(engine_scene_end_restoration, "scene.end_restoration", with_reserved(reserved));
    }
    void end_preparation(int reserved) override {
        run(engine_scene_end_preparation, "scene.end_preparation", with_reserved(reserved));
    }
    host_part* find_object(const char* name, int reserved) override {
        return host_object<part_object>(named(engine_scene_find_object, "scene.find_object", name, reserved).object,
                                        false);
    }
    void make_part(const char* name, int reserved) override {
        named(engine_scene_make_part, "scene.make_part", name, reserved);
    }
    host_part* create_camera_object(const vec3& eye, const vec3& target, const char* name, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        put(a.vectors[0], eye);
        put(a.vectors[1], target);
        a.texts[0] = name;
        return host_object<part_object>(run(engine_scene_create_camera_object, "scene.create_camera_object", a).object,
                                        false);
    }
    int camera_object_count(int zero1, int zero2, int zero3, int reserved) override {
        engine_arguments a = with_reserved(reserved);
        a.words[0] = zero1;
        a.words[1] = zero2;
        a.words[2] = zero3;
        return run(engine_scene_camera_object_count, "scene.camera_object_count", a).word;
    }

private:
    engine_result named(int operation, const char* operation_name, const char* name, int reserved) {
        engine_arguments a = with_reserved(reserved);
        a.texts[0] = name;
        return run(operation, operation_name, a);
    }
};

}  // namespace

void begin_command() {
    references = 0;
    stops = 0;
    injected.calls = 0;
    host_failure::raised = 0;
    census::double_releases = 0;
}

void rearm_injected_failure(bool as_rethrow) {
    injected.calls = 0;
    injected.rethrow = as_rethrow;
}

host_scene* scene_for(void* engine_scene) { return host_object<scene_object>(engine_scene, false); }

int references_held() { return references; }

}  // namespace msvc_host
