/* The plain C boundary between orbivane-host.exe, whose host objects are built
 * in Microsoft's C++ ABI, and orbivane-host-engine.dll, the simulated host's
 * scene, renderer, recorder and command line built with GCC.
 *
 * Only C types cross: cdecl functions, 32-bit integers, floats and pointers.
 * No exception crosses either: the engine reports how an operation ended, and
 * the host objects raise the host's own exceptions from that. */
#ifndef ORBIVANE_ENGINE_ABI_H
#define ORBIVANE_ENGINE_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One host operation on an engine object, in the order of each object's table. */
enum engine_operation {
    engine_add_ref,
    engine_release,

    engine_scene_create_dialog,
    engine_scene_create_progress,
    engine_scene_orientation_matrix,
    engine_scene_get_renderer,
    engine_scene_get_camera,
    engine_scene_get_light,
    engine_scene_restore_active_object,
    engine_scene_update,
    engine_scene_prepare_active_object,
    engine_scene_select_object,
    engine_scene_begin_preparation,
    engine_scene_end_restoration,
    engine_scene_end_preparation,
    engine_scene_find_object,
    engine_scene_make_part,
    engine_scene_create_camera_object,
    engine_scene_camera_object_count,

    engine_dialog_read_check_box,
    engine_dialog_read_integer,
    engine_dialog_set_integer,
    engine_dialog_read_real,
    engine_dialog_set_real,
    engine_dialog_read_selection,
    engine_dialog_show_modal,
    engine_dialog_append_item,
    engine_dialog_set_title,

    engine_progress_set_range,
    engine_progress_set_position,
    engine_progress_advance,

    engine_camera_eye_point,
    engine_camera_target_point,
    engine_camera_set_float_setting,
    engine_camera_get_float_setting,
    engine_camera_set_current_index,
    engine_camera_current_index,
    engine_camera_set_mode_value,
    engine_camera_other_entry_count,

    engine_light_set_vector,
    engine_light_get_vector,

    engine_part_transform,

    engine_renderer_render,
    engine_renderer_start_recording,
    engine_renderer_append_frame,
    engine_renderer_end_recording,
    engine_renderer_set_image_size,
    engine_renderer_get_image_size,
    engine_renderer_current_image,
    engine_renderer_region,

    engine_image_drawing_surface,
    engine_image_copy,

    engine_canvas_copy_image_into
};

/* The arguments of one operation, each kind in the order the operation takes them. */
struct engine_arguments {
    int32_t words[3];
    float real;
    const char* texts[2];
    const char* const* path;
    float vectors[2][3];
    const float* matrix; /* 16 floats, row by row */
    float* matrix_out;
    int32_t size[2];
    int32_t rect[4];
    void* object; /* an engine object handed in (an image) */
    int32_t reserved;
};

struct engine_result {
    int32_t word;
    float real;
    float vector[3];
    int32_t size[2];
    void* object; /* an engine object handed out, or null */
};

enum engine_status {
    engine_returned = 0,
    engine_stopped = 1, /* the user asked to stop: the host raises its stop */
    engine_failed = 2   /* the operation failed: a sentence in message */
};

/* Runs one operation on an engine object (as handed out by the engine). */
int32_t engine_call(void* object, int32_t operation, const struct engine_arguments* arguments,
                    struct engine_result* result, char* message, int32_t message_size);

/* What the host learns from the plug-in's exports. Texts belong to the plug-in. */
struct engine_plugin_description {
    int32_t components, id, interface_version, exception_kind, text_encoding;
    int32_t separate_interfaces, resident;
    int32_t info_numbers[6];
    const char* name;
    const char* info_name;
    const char* info_author;
    const char* info_company;
    const char* info_description;
};

/* How the plug-in's command ended, as the host's catch clauses saw it. */
enum engine_invoke_outcome {
    engine_invoke_returned,
    engine_invoke_stop_escaped,    /* the host's stop itself left the command */
    engine_invoke_failure_escaped, /* a host failure left the command */
    engine_invoke_int_escaped,
    engine_invoke_unknown_escaped
};

struct engine_invoke_report {
    int32_t outcome;
    int32_t int_value;        /* with engine_invoke_int_escaped */
    int32_t failure_serial;   /* the failure caught, numbered by the host from 1 */
    int32_t failures_raised;  /* how many failures the host raised in the command */
    int32_t failures_alive;   /* failure objects not destroyed once the host's catch was done */
    int32_t references_held;  /* references the plug-in took during the command and kept */
    int32_t released_twice;   /* host resources released a second time */
    char message[256];        /* the failure's sentence, or what else left the command */
};

/* The host side of the plug-in, which the engine's command line drives. */
struct engine_plugin_driver {
    /* Describes the loaded library through its exports and creates component 0.
     * Null with a sentence in message when it cannot. */
    void* (*create)(void* module, const char* path, struct engine_plugin_description* description, char* message,
                    int32_t message_size);
    /* Runs the command on the engine's scene. */
    void (*invoke)(void* component, void* scene, struct engine_invoke_report* report);
    /* Gives back the host's reference: the count the component answers. */
    int32_t (*release)(void* component);
};

/* orbivane-host's command line, with the plug-in driven through driver. The exit status. */
int32_t engine_main(int32_t argc, char** argv, const struct engine_plugin_driver* driver);

#ifdef __cplusplus
}
#endif

#endif
