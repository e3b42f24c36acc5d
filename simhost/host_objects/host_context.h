// The state one host session shares among its interface objects, and the
// base every object the plug-in sees is built on. Internal to simhost.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/host_interface.h"
#include "simhost/host_objects/call_log.h"
#include "simhost/host_objects/host_errors.h"
#include "simhost/host_objects/host_records.h"
#include "simhost/host_objects/reference_audit.h"
#include "simhost/host_objects/session_options.h"
#include "simhost/host_objects/windowing.h"
#include "simhost/recording/movie_recorder.h"
#include "simhost/rendering/image.h"
#include "simhost/rendering/rasterizer.h"
#include "simhost/rendering/scene_model.h"

namespace simhost {

class HostObjectBase {
public:
    virtual ~HostObjectBase() = default;
    // The last reference went: give back what the object holds (pixels, a window).
    virtual void on_last_release() {}
};

class ImageObject;

struct RendererState {
    ImageSize size{};
    std::shared_ptr<Image> current = std::make_shared<Image>();  // the live current image
    std::optional<MovieRecorder> recorder;
    // What the latest render used, noted for each recorded frame.
    Vec3d light;
    std::int32_t camera_index = 0;
    CameraPose camera;
};

class HostContext {
public:
    explicit HostContext(SessionOptions& options);

    SessionOptions& options;
    Scene scene;
    CallLog log;
    ReferenceAudit audit;
    Windowing windowing{log};
    Rasterizer rasterizer;  // anti-aliased as the options ask
    RendererState renderer;

    std::deque<DialogRecord> dialogs;
    std::deque<ProgressRecord> progress;
    std::vector<RecordedFrame> frames;
    std::optional<Scene::Contents> rig_undo;
    std::string active_object;
    int advances = 0;  // progress advances in this command
    bool abort_raised = false;
    std::map<std::string, int> call_counts;  // per "interface.operation", this command
    std::map<std::uint64_t, host_part*> lent_parts;
    std::unordered_map<const host_image*, ImageObject*> images;

    // Creates an object that lives as long as the session (its payload goes at its last release).
    template <typename T, typename... Args>
    T* make(Args&&... args) {
        auto object = std::make_unique<T>(*this, std::forward<Args>(args)...);
        T* raw = object.get();
        objects_.push_back(std::move(object));
        return raw;
    }

    // Counts the call and applies an injected fault: throws host_error, or
    // answers true when the operation should return no object.
    bool injected_fault(const std::string& operation);
    void begin_command();

private:
    std::vector<std::unique_ptr<HostObjectBase>> objects_;
};

template <typename Interface>
class AuditedObject : public Interface, public HostObjectBase {
public:
    AuditedObject(HostContext& host, const char* interface_name, const std::string& origin, int host_references)
        : host_(host), interface_name_(interface_name),
          id_(host.audit.enroll(interface_name, origin, host_references)) {}

    HRESULT ORB_STDCALL QueryInterface(REFIID, void**) override {
        call("QueryInterface");
        return E_NOINTERFACE;
    }
    ULONG ORB_STDCALL AddRef() override {
        const std::int32_t count = host_.audit.add_ref(id_);
        host_.log.add(interface_name_, id_, "AddRef", CallArguments().add("count", count));
        return static_cast<ULONG>(count < 0 ? 0 : count);
    }
    ULONG ORB_STDCALL Release() override {
        const std::int32_t count = host_.audit.release(id_);
        host_.log.add(interface_name_, id_, "Release", CallArguments().add("count", count));
        if (count == 0 && !payload_released_) {
            payload_released_ = true;
            on_last_release();
        }
        return static_cast<ULONG>(count < 0 ? 0 : count);
    }

    int audit_id() const { return id_; }
    Interface* face() { return this; }

protected:
    // Logs one operation; true when an injected fault asks for no object.
    bool call(const char* operation, CallArguments arguments = {}) {
        host_.audit.note_use(id_, operation);
        host_.log.add(interface_name_, id_, operation, std::move(arguments));
        return host_.injected_fault(std::string(interface_name_) + "." + operation);
    }
    std::string name() const { return host_.audit.name(id_); }

    HostContext& host_;
    const char* interface_name_;
    int id_;
    bool payload_released_ = false;
};

}  // namespace simhost
