#include "simhost/host_objects/host_objects.h"

namespace simhost {

ImageObject::ImageObject(HostContext& host, std::shared_ptr<Image> image, const std::string& origin)
    : AuditedObject(host, "image", origin, 0), image_(std::move(image)) {
    host_.images[this] = this;
}

ImageObject::~ImageObject() { host_.images.erase(this); }

host_canvas* ImageObject::drawing_surface(host_reserved reserved) {
    if (call("drawing_surface", CallArguments().reserved(reserved))) return nullptr;
    if (!image_) throw host_error(name() + " has no pixels left");
    return host_.make<CanvasObject>(image_);
}

host_image* ImageObject::copy(ImageSize size, std::int32_t one, std::int32_t bits, host_reserved reserved) {
    if (call("copy", CallArguments().reserved(reserved).add("size", size).add("", one).add("bits", bits))) return nullptr;
    if (!image_) throw host_error(name() + " has no pixels left");
    if (size.width <= 0 || size.height <= 0) return nullptr;
    auto copied = std::make_shared<Image>(
        resized_keeping_top_left(*image_, size.width, size.height, host_.rasterizer.style().background));
    return host_.make<ImageObject>(std::move(copied), "image.copy");
}

void ImageObject::on_last_release() { image_.reset(); }

void CanvasObject::copy_image_into(host_image* image, const ImageRect& rect, host_reserved reserved) {
    const auto found = host_.images.find(image);
    CallArguments args;
    args.add_text("image", found != host_.images.end() ? host_.audit.name(found->second->audit_id())
                                                       : std::string(image ? "unknown" : "null"));
    call("copy_image_into", std::move(args.add("rect", rect).reserved(reserved)));
    if (found == host_.images.end())
        throw host_error(std::string("copy_image_into was given ") + (image ? "an image the host never made" : "no image"));
    if (!found->second->pixels()) throw host_error(name() + " was given an image with no pixels left");
    if (!target_) throw host_error(name() + " has no image left to draw on");
    draw_into(*target_, *found->second->pixels(), rect.left, rect.top, rect.right, rect.bottom);
}

}  // namespace simhost
