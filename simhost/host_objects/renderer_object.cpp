#include "simhost/host_objects/host_objects.h"

namespace simhost {

namespace {
// Larger sizes are refused rather than left to fail an allocation later.
constexpr std::int32_t largest_side = 16384;
}  // namespace

void RendererObject::render(host_reserved reserved) {
    call("render", CallArguments().reserved(reserved));
    const CameraEntry* camera = host_.scene.current_camera();
    if (!camera)
        throw host_error("cannot render: the current camera index " +
                         std::to_string(host_.scene.current_camera_index()) + " names no camera");
    RendererState& r = host_.renderer;
    host_.rasterizer.render(host_.scene.placed_meshes(), camera->pose, camera->float_setting, host_.scene.light,
                            r.size.width, r.size.height, *r.current);
    r.light = host_.scene.light;
    r.camera_index = host_.scene.current_camera_index();
    r.camera = camera->pose;
}

void RendererObject::start_recording(const char* const* path, host_reserved reserved) {
    const char* text = path ? *path : nullptr;
    call("start_recording", CallArguments().reserved(reserved).add_text("path", text));
    if (!text || !*text) throw host_error("start_recording was given no path");
    if (host_.renderer.recorder)
        throw host_error("start_recording while " + host_.renderer.recorder->path() + " is still recording");
    host_.renderer.recorder.emplace(text, host_.options.codec);
}

void RendererObject::append_frame(host_reserved reserved) {
    call("append_frame", CallArguments().reserved(reserved));
    RendererState& r = host_.renderer;
    if (!r.recorder) throw host_error("append_frame without a recording started");
    r.recorder->append(*r.current);
    RecordedFrame frame;
    frame.index = r.recorder->frames() - 1;
    frame.movie_path = r.recorder->path();
    frame.size = {r.current->width, r.current->height};
    frame.light = to_f(r.light);
    frame.camera_index = r.camera_index;
    frame.camera = r.camera;
    if (host_.options.keep_frame_images) frame.image = *r.current;
    host_.frames.push_back(std::move(frame));
}

void RendererObject::end_recording(host_reserved reserved) {
    call("end_recording", CallArguments().reserved(reserved));
    RendererState& r = host_.renderer;
    // Ending twice, or without a start, is harmless, as in the host application.
    if (!r.recorder) return;
    MovieRecorder recorder = std::move(*r.recorder);
    r.recorder.reset();
    recorder.finish(r.current->width, r.current->height);
}

void RendererObject::set_image_size(ImageSize size, host_reserved reserved) {
    call("set_image_size", CallArguments().reserved(reserved).add("size", size));
    if (size.width <= 0 || size.height <= 0 || size.width > largest_side || size.height > largest_side)
        throw host_error("image size " + std::to_string(size.width) + " x " + std::to_string(size.height) +
                         " is outside 1 to " + std::to_string(largest_side));
    host_.renderer.size = size;
}

ImageSize RendererObject::get_image_size(host_reserved reserved) {
    call("get_image_size", CallArguments().reserved(reserved).add("size", host_.renderer.size));
    return host_.renderer.size;
}

host_image* RendererObject::current_image(host_reserved reserved) {
    if (call("current_image", CallArguments().reserved(reserved))) return nullptr;
    return host_.make<ImageObject>(host_.renderer.current, "renderer.current_image");
}

// The rectangle names what the host application would re-render; resizing the
// current image to the current image size, keeping what it shows, is all a
// caller can rely on, so that is all this host does with it.
void RendererObject::region(const ImageRect& rect, host_reserved reserved) {
    call("region", CallArguments().reserved(reserved).add("rect", rect));
    RendererState& r = host_.renderer;
    *r.current = resized_keeping_top_left(*r.current, r.size.width, r.size.height, host_.rasterizer.style().background);
}

}  // namespace simhost
