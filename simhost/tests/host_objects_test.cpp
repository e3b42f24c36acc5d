// The host objects driven the way a plug-in drives them: dialog answers,
// progress aborts, the camera list, images and the reference audit.
#include <gtest/gtest.h>

#include <atomic>

#include "host/host_ref.h"
#include "simhost/host_objects/host_errors.h"
#include "simhost/host_objects/session.h"
#include "simhost/rendering/rasterizer.h"

namespace simhost {
namespace {

// "横分割" and "フレーム" in code page 932, as the plug-in passes them.
const char* const columns_label = "\x89\xA1\x95\xAA\x8A\x84";
const char* const frames_unit = "\x83\x74\x83\x8C\x81\x5B\x83\x80";

SessionOptions small_options() {
    SessionOptions o;
    o.image_size = {48, 32};
    return o;
}

struct DialogHandles {
    std::int32_t columns, rows, upper, stereo, method, parallax;
};

DialogHandles append_capture_items(host_dialog* d) {
    DialogHandles h{};
    h.columns = d->append_item(dialog_integer, columns_label, 0, frames_unit, 0);
    h.rows = d->append_item(dialog_integer, "rows", 1, frames_unit, 0);
    h.upper = d->append_item(dialog_check_box, "upper", 2, nullptr, 0);
    h.stereo = d->append_item(dialog_check_box, "stereo", 5, nullptr, 0);
    h.method = d->append_item(dialog_selection, "method/parallel/cross", 3, nullptr, 0);
    h.parallax = d->append_item(dialog_real, "parallax", 4, nullptr, 0);
    d->set_integer(h.columns, 24, 0);
    d->set_integer(h.rows, 13, 0);
    d->set_real(h.parallax, 4.0f, 0);
    return h;
}

TEST(HostDialog, AnswersByItemIdReplaceThePresetsAndTheRestStay) {
    SessionOptions o = small_options();
    o.dialog.columns = 36;
    o.dialog.stereo = true;
    o.dialog.method = 1;
    o.dialog.parallax = 6.5f;
    Session session(std::move(o));
    const CommandResult result = session.run_command([](host_scene* scene) {
        host_ref<host_dialog> d(scene->create_dialog(0, 0, 0));
        d->set_title("Orbivane", 0);
        const DialogHandles h = append_capture_items(d.get());
        ASSERT_TRUE(d->show_modal(0));
        EXPECT_EQ(d->read_integer(h.columns, 0), 36);
        EXPECT_EQ(d->read_integer(h.rows, 0), 13);  // preset kept
        EXPECT_FALSE(d->read_check_box(h.upper, 0));  // the host starts unchecked
        EXPECT_TRUE(d->read_check_box(h.stereo, 0));
        EXPECT_EQ(d->read_selection(h.method, 0), 1);
        EXPECT_EQ(d->read_real(h.parallax, 0), 6.5f);
        // Handles are not ids: the columns item has id 0.
        EXPECT_NE(h.columns, 0);
    });
    EXPECT_TRUE(result.ok()) << result.exception << result.audit.text();
    const DialogRecord& record = session.dialogs().back();
    EXPECT_EQ(record.title, "Orbivane");
    EXPECT_EQ(record.items.front().label_utf8, "横分割");
    EXPECT_EQ(record.items.front().unit, std::string(frames_unit));
    EXPECT_FALSE(record.items[2].unit.has_value());
    EXPECT_NE(session.calls().records()[2].text().find("横分割"), std::string::npos);
}

// Reserved words are logged, leading ones first; any that is not 0 is the plug-in's mistake.
TEST(HostCalls, ReservedWordsAreLoggedAndANonZeroOneIsAProblem) {
    Session session(small_options());
    const CommandResult result = session.run_command([](host_scene* scene) {
        scene->camera_object_count(0, 0, 0, 0);
        scene->update(0);
        scene->prepare_active_object(0, 7, 0);
        scene->update(3);
    });
    EXPECT_EQ(session.calls().of("scene", "camera_object_count").at(0).reserved,
              (std::vector<std::int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(session.calls().of("scene", "update").at(0).reserved, std::vector<std::int32_t>{0});
    ASSERT_EQ(result.problems.size(), 2u);
    EXPECT_NE(result.problems[0].find("prepare_active_object was passed 7"), std::string::npos) << result.problems[0];
    EXPECT_NE(result.problems[1].find("update was passed 3"), std::string::npos) << result.problems[1];
    EXPECT_FALSE(result.ok());
}

TEST(HostDialog, CancelAnswersFalseAndUnknownHandlesFail) {
    SessionOptions o = small_options();
    o.dialog.confirm = false;
    Session session(std::move(o));
    const CommandResult result = session.run_command([](host_scene* scene) {
        host_ref<host_dialog> d(scene->create_dialog(0, 0, 0));
        append_capture_items(d.get());
        EXPECT_FALSE(d->show_modal(0));
        d->read_integer(0, 0);  // an id, not a handle
    });
    EXPECT_FALSE(result.returned);
    EXPECT_NE(result.exception.find("handle 0"), std::string::npos) << result.exception;
    EXPECT_FALSE(session.dialogs().back().confirmed);
    EXPECT_TRUE(result.audit.clean()) << result.audit.text();  // the holder released it on the way out
}

// Advances until the host raises its abort; the 1-based advance that raised it, or 0.
int first_aborted_advance(host_scene* scene, int advances) {
    host_ref<host_progress> p(scene->create_progress("progress", 0, 0));
    p->set_range(0, advances, 0);
    int first = 0;
    for (int i = 1; i <= advances; ++i) {
        try {
            p->advance(1, 0);
        } catch (const host_abort&) {
            if (!first) first = i;
        }
    }
    return first;
}

TEST(HostProgress, AbortAtFrameNRaisesFromTheNthAdvanceOn) {
    for (int n : {1, 3, 7}) {
        SessionOptions o = small_options();
        o.abort_at_frame = n;
        Session session(std::move(o));
        int first = -1;
        const CommandResult result = session.run_command([&](host_scene* s) { first = first_aborted_advance(s, 10); });
        EXPECT_EQ(first, n);
        EXPECT_TRUE(result.abort_raised);
        EXPECT_EQ(session.calls().count("progress", "advance"), 10u);
        EXPECT_EQ(session.progress().back().position, n - 1);
    }
}

TEST(HostProgress, StopRequestAbortsEveryAdvanceAndNoRequestNone) {
    std::atomic<bool> stop{false};
    SessionOptions o = small_options();
    o.stop_requested = &stop;
    Session session(std::move(o));
    int first = -1;
    CommandResult result = session.run_command([&](host_scene* s) { first = first_aborted_advance(s, 5); });
    EXPECT_EQ(first, 0);
    EXPECT_FALSE(result.abort_raised);
    EXPECT_EQ(session.progress().back().position, 5);
    stop = true;  // Ctrl-C
    result = session.run_command([&](host_scene* s) { first = first_aborted_advance(s, 5); });
    EXPECT_EQ(first, 1);
    EXPECT_TRUE(result.abort_raised);
}

TEST(HostAudit, CatchesLeaksOverReleasesAndUseAfterRelease) {
    struct Case {
        const char* name;
        std::function<void(host_scene*)> command;
        AuditFinding::Kind kind;
        const char* object;
    } cases[] = {
        {"leaked renderer", [](host_scene* s) { s->get_renderer(0)->get_image_size(0); },
         AuditFinding::Kind::not_released, "renderer"},
        {"camera released twice",
         [](host_scene* s) {
             host_camera* c = s->get_camera(0);
             c->Release();
             c->Release();
         },
         AuditFinding::Kind::released_too_often, "camera"},
        {"borrowed part released",
         [](host_scene* s) {
             s->make_part("Container", 0);
             s->find_object("Container", 0)->Release();
         },
         AuditFinding::Kind::released_too_often, "part"},
        {"image used after release",
         [](host_scene* s) {
             host_ref<host_renderer> r(s->get_renderer(0));
             host_image* image = r->current_image(0);
             image->Release();
             host_ref<host_canvas> canvas(image->drawing_surface(0));
         },
         AuditFinding::Kind::used_after_release, "image"},
        {"scene released by the plug-in", [](host_scene* s) { s->Release(); },
         AuditFinding::Kind::released_too_often, "scene"},
    };
    for (const Case& c : cases) {
        Session session(small_options());
        const CommandResult result = session.run_command(c.command);
        ASSERT_EQ(result.audit.findings.size(), 1u) << c.name << ": " << result.audit.text();
        EXPECT_EQ(result.audit.findings[0].kind, c.kind) << c.name;
        EXPECT_EQ(result.audit.findings[0].object.rfind(c.object, 0), 0u) << c.name << ": " << result.audit.text();
    }
}

TEST(HostAudit, BalancedUseIsClean) {
    Session session(small_options());
    const CommandResult result = session.run_command([](host_scene* s) {
        host_ref<host_renderer> r(s->get_renderer(0));
        host_ref<host_camera> c(s->get_camera(0));
        host_ref<host_light> l(s->get_light(0));
        s->create_camera_object({0, 5, 0}, {0, 0, 0}, "CameraL", 0)->transform(Mat4{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}, 0);
        r->render(0);
        host_ref<host_image> image(r->current_image(0));
        host_ref<host_image> copy(image->copy({48, 32}, 1, 32, 0));
        host_ref<host_canvas> canvas(copy->drawing_surface(0));
    });
    EXPECT_TRUE(result.ok()) << result.exception << result.audit.text();
    EXPECT_GT(result.audit.objects_checked, 5);
}

TEST(HostCamera, CameraListArithmeticReachesTheNewCameras) {
    Session session(small_options());
    const CommandResult result = session.run_command([](host_scene* s) {
        host_ref<host_camera> c(s->get_camera(0));
        const Vec3 user_eye = c->eye_point(0, 0);
        s->create_camera_object({0, 9, 0}, {0, 1, 0}, "CameraL", 0);
        s->create_camera_object({1, 9, 0}, {0, 1, 0}, "CameraR", 0);
        const std::int32_t n = s->camera_object_count(0, 0, 0, 0) + c->other_entry_count(0);
        const std::int32_t saved = c->current_index(0);
        c->set_current_index(n - 1, 0);
        EXPECT_EQ(c->eye_point(0, 0).x, 1.0f);
        c->set_float_setting(0, 50.0f, 0);
        c->set_current_index(n - 2, 0);
        EXPECT_EQ(c->eye_point(0, 0).x, 0.0f);
        EXPECT_NE(c->get_float_setting(0, 0), 50.0f);  // each entry has its own
        c->set_current_index(saved, 0);
        EXPECT_EQ(c->eye_point(0, 0).y, user_eye.y);
        c->set_current_index(n, 0);  // one past the end
    });
    EXPECT_NE(result.exception.find("outside the camera list"), std::string::npos) << result.exception;
    EXPECT_TRUE(result.audit.clean()) << result.audit.text();
}

TEST(HostLight, WritingBackWhatWasReadRestoresItExactly) {
    Session session(small_options());
    const Vec3d original = session.scene().light;
    session.run_command([](host_scene* s) {
        host_ref<host_light> l(s->get_light(0));
        const Vec3 saved = l->get_vector(0, 0);
        l->set_vector(0, {0.1f, 0.2f, 0.3f}, 0);
        EXPECT_EQ(l->get_vector(0, 0).y, 0.2f);
        l->set_vector(0, saved, 0);
    });
    EXPECT_EQ(session.scene().light.x, static_cast<float>(original.x));
    EXPECT_EQ(session.scene().light.z, static_cast<float>(original.z));
}

// Renders camera-list entry `index` and returns an independent copy of the picture.
host_image* render_copy(host_scene* s, host_renderer* r, std::int32_t index, ImageSize size) {
    host_ref<host_camera> c(s->get_camera(0));
    c->set_current_index(index, 0);
    r->render(0);
    host_ref<host_image> image(r->current_image(0));
    return image->copy(size, 1, 32, 0);
}

TEST(HostRenderer, StereoPairComposesTwoIndependentCopiesSideBySide) {
    Session session(small_options());
    const ImageSize eye{48, 32};
    const CommandResult result = session.run_command([&](host_scene* s) {
        host_ref<host_renderer> r(s->get_renderer(0));
        // Two views 90 degrees apart so the halves differ.
        s->create_camera_object({-8, 4, 0}, {0, 0.6f, 0}, "CameraL", 0);
        s->create_camera_object({0, 4, 8}, {0, 0.6f, 0}, "CameraR", 0);
        const std::int32_t n = s->camera_object_count(0, 0, 0, 0) + 2;
        host_ref<host_image> right(render_copy(s, r.get(), n - 1, eye));
        host_ref<host_image> left(render_copy(s, r.get(), n - 2, eye));
        r->set_image_size({2 * eye.width, eye.height}, 0);
        r->region({0, 0, 1, 1}, 0);
        host_ref<host_image> frame(r->current_image(0));
        host_ref<host_canvas> canvas(frame->drawing_surface(0));
        canvas->copy_image_into(left.get(), {0, 0, eye.width, eye.height}, 0);
        canvas->copy_image_into(right.get(), {eye.width, 0, 2 * eye.width, eye.height}, 0);
    });
    ASSERT_TRUE(result.ok()) << result.exception << result.audit.text();
    const Image& frame = session.current_image();
    ASSERT_EQ(frame.width, 96);
    ASSERT_EQ(frame.height, 32);
    const Scene& scene = session.scene();
    const Image left = session.render(scene, *scene.camera(scene.camera_count() - 2), eye.width, eye.height);
    const Image right = session.render(scene, *scene.camera(scene.camera_count() - 1), eye.width, eye.height);
    ASSERT_NE(left.rgb, right.rgb);
    for (int y = 0; y < eye.height; ++y)
        for (int x = 0; x < eye.width; ++x) {
            ASSERT_EQ(frame.at(x, y), left.at(x, y)) << x << "," << y;
            ASSERT_EQ(frame.at(x + eye.width, y), right.at(x, y)) << x << "," << y;
        }
}

TEST(HostRenderer, RegionKeepsTheTopLeftPictureAndFillsTheRest) {
    Session session(small_options());
    Image before;
    session.run_command([&](host_scene* s) {
        host_ref<host_renderer> r(s->get_renderer(0));
        r->render(0);
        before = session.current_image();
        r->set_image_size({60, 40}, 0);
        r->region({0, 0, 1, 1}, 0);
    });
    const Image& after = session.current_image();
    ASSERT_EQ(after.width, 60);
    ASSERT_EQ(after.height, 40);
    for (int y = 0; y < before.height; ++y)
        for (int x = 0; x < before.width; ++x) ASSERT_EQ(after.at(x, y), before.at(x, y));
    EXPECT_EQ(after.at(59, 39), RenderStyle{}.background);
}

TEST(HostFaults, InjectedFaultsFailOrWithholdTheNamedCall) {
    SessionOptions o = small_options();
    o.faults = {{"renderer.render", 2, InjectedFault::Action::throw_error},
                {"image.copy", 1, InjectedFault::Action::return_null}};
    Session session(std::move(o));
    int renders = 0;
    const CommandResult result = session.run_command([&](host_scene* s) {
        host_ref<host_renderer> r(s->get_renderer(0));
        host_ref<host_image> image(r->current_image(0));
        EXPECT_EQ(image->copy({48, 32}, 1, 32, 0), nullptr);
        host_ref<host_image> second(image->copy({48, 32}, 1, 32, 0));
        EXPECT_NE(second.get(), nullptr);
        r->render(0);
        ++renders;
        r->render(0);
        ++renders;
    });
    EXPECT_EQ(renders, 1);
    EXPECT_NE(result.exception.find("renderer.render"), std::string::npos) << result.exception;
    EXPECT_TRUE(result.audit.clean()) << result.audit.text();
}

TEST(HostRig, RestorationUndoesThePreparedRigUnlessTurnedOff) {
    for (bool undo : {true, false}) {
        SessionOptions o = small_options();
        o.undo_rig_on_restoration = undo;
        Session session(std::move(o));
        const std::size_t parts = session.scene().parts().size();
        session.run_command([](host_scene* s) {
            s->begin_preparation(0);
            s->create_camera_object({0, 9, 0}, {0, 0, 0}, "CameraL", 0);
            s->make_part("Container", 0);
            s->end_preparation(0);
            s->select_object("Container", 0);
            s->restore_active_object(0);
            s->end_restoration(0);
        });
        EXPECT_EQ(session.scene().find("Container").has_value(), !undo);
        EXPECT_EQ(session.scene().camera_object_count(), undo ? 0 : 1);
        EXPECT_EQ(session.scene().parts().size(), undo ? parts : parts + 1);
    }
}

}  // namespace
}  // namespace simhost
