#include "objecttool/inspect.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "objecttool/object_movie.h"
#include "objecttool/tool_error.h"
#include "quicktime/qt_types.h"

namespace objecttool {

namespace {

constexpr std::uint32_t object_controller = four_cc("stna");

std::string format(const char* pattern, auto... values) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

std::string angle(double degrees) { return format("%g\u00B0", degrees); }

struct FlagName {
    std::uint32_t bit;
    const char* name;
};
constexpr FlagName animation_flags[] = {
    {animate_view_frames, "animate view frames"}, {palindrome_view_frames, "palindrome frames"},
    {start_at_first_frame, "start at first frame"}, {animate_views, "animate views"},
    {palindrome_views, "palindrome views"}, {sync_view_to_frame_rate, "sync views to frame rate"},
    {dont_loop_view_frames, "don't loop frames"}, {play_every_frame, "play every frame"},
    {streaming_views, "streaming views"}};
constexpr FlagName control_flags[] = {
    {wrap_pan, "wrap pan"}, {wrap_tilt, "wrap tilt"}, {can_zoom, "can zoom"}, {reverse_horizontal, "reverse horizontal"},
    {reverse_vertical, "reverse vertical"}, {swap_horizontal_vertical, "swap horizontal and vertical"},
    {translation, "translation"}};

template <std::size_t N>
std::vector<std::string> flag_list(std::uint32_t bits, const FlagName (&names)[N]) {
    std::vector<std::string> set;
    for (const auto& f : names)
        if (bits & f.bit) set.push_back(f.name);
    return set;
}

template <std::size_t N>
std::string flag_names(std::uint32_t bits, const FlagName (&names)[N]) {
    std::string text;
    for (const auto& name : flag_list(bits, names)) text += (text.empty() ? " (" : ", ") + name;
    return text.empty() ? text : text + ")";
}

// What object players refuse or misread, each as one sentence.
std::vector<std::string> find_warnings(const Inspection& in, const ObjectMovie& movie) {
    std::vector<std::string> warnings;
    std::optional<std::uint64_t> movie_at, data_at;
    for (const auto& atom : in.atoms) {
        if (atom.wide_size && atom.size < (std::uint64_t(1) << 32))
            warnings.push_back(format("'%s' at offset %" PRIu64 " stores its size (%" PRIu64
                                      " bytes) in 64 bits; object players misread 64-bit sizes below 4 GiB.",
                                      fourcc_text(atom.type).c_str(), atom.offset, atom.size));
        if (atom.depth == 0 && atom.type == four_cc("moov") && !movie_at) movie_at = atom.offset;
        if (atom.depth == 0 && atom.type == four_cc("mdat") && !data_at) data_at = atom.offset;
    }
    if (movie_at && data_at && *data_at < *movie_at)
        warnings.push_back("The movie data comes before the movie resource; players reading over a network must fetch the "
                           "whole file before showing anything.");
    const std::uint32_t expected_controller = in.version == 2 ? four_cc("qtvr") : object_controller;
    if (movie.record_damaged()) warnings.push_back("The 'NAVG' item is shorter than the 48-byte object record.");
    else if (movie.qtvr().info_damaged) warnings.push_back("The object track holds no readable 'obji' record.");
    else if (in.version == 0)
        warnings.push_back("There is no object record ('NAVG' item or 'obji' atom): this is not an object movie.");
    if (!in.controller_type)
        warnings.push_back("There is no controller type ('ctyp' item); players will not treat this as an object movie.");
    else if (*in.controller_type != expected_controller)
        warnings.push_back("The controller type is '" + fourcc_text(*in.controller_type) + "', not '" +
                           fourcc_text(expected_controller) + "'; players will not use their object controller.");
    if (!in.video) warnings.push_back("There is no video track.");
    if (in.version == 1 && in.video) {
        const std::int64_t expected = std::int64_t(in.record->columns) * in.record->rows * in.record->frames_per_view;
        if (expected != in.video->sample_count)
            warnings.push_back(format("The video track holds %u samples, but the record's grid of %d x %d views at %d "
                                      "frame(s) each needs %" PRId64 ".",
                                      in.video->sample_count, in.record->columns, in.record->rows,
                                      in.record->frames_per_view, expected));
        if (in.record->start_tilt < in.record->end_tilt)
            warnings.push_back("The record's start tilt is below its end tilt; players that assume the first row "
                               "looks down from above show the rows upside down.");
    }
    if (in.version == 2 && in.video) {
        const ObjectInfoRecord& r = *in.object_info;
        const double movie_scale = movie.reader().time_scale() > 0 ? movie.reader().time_scale() : 600;
        const double media_scale = in.video->time_scale > 0 ? in.video->time_scale : 600;
        const double needed = double(r.columns) * r.rows * std::max<int>(1, r.view_state_count) * r.view_duration / movie_scale;
        const double held = in.video->duration / media_scale;
        if (std::fabs(needed - held) > 0.5 / media_scale)
            warnings.push_back(format("The image track lasts %.3f s, but the record's %u x %u views in %d view state(s) "
                                      "at %u each need %.3f s; players may show the wrong frames.",
                                      held, r.columns, r.rows, std::max<int>(1, r.view_state_count), r.view_duration, needed));
        if (r.min_tilt > r.max_tilt)
            warnings.push_back("The record's minimum tilt is above its maximum; players that take the names at their "
                               "word show the rows upside down.");
        if (r.view_state_count == 0) warnings.push_back("The record gives no view state; players assume one.");
        if (r.default_view_state < 1 || r.default_view_state > std::max<int>(1, r.view_state_count))
            warnings.push_back(format("The default view state %d is not one of the record's %d.", r.default_view_state,
                                      r.view_state_count));
    }
    if (in.qtvr && in.qtvr->nodes > 1)
        warnings.push_back(format("The QTVR track holds %zu nodes; this tool shows the object node.", in.qtvr->nodes));
    if (in.compressed_header)
        warnings.push_back("The movie header is compressed ('cmov'); players without zlib cannot open the movie.");
    if (!in.wrapper.empty())
        warnings.push_back("The movie is wrapped in " + in.wrapper + "; most players need the plain movie file.");
    if (in.video && !in.video->self_contained)
        warnings.push_back("Some frames live in another file; the movie is not self-contained.");
    return warnings;
}

std::string size_text(std::uint64_t bytes) {
    if (bytes < 1024) return format("%" PRIu64 " bytes", bytes);
    if (bytes < 1024 * 1024) return format("%.1f KB", bytes / 1024.0);
    return format("%.1f MB", bytes / (1024.0 * 1024.0));
}

}  // namespace

Inspection inspect_movie(const std::string& path) {
    ObjectMovie movie(path);
    Inspection in;
    in.path = path;
    if (const auto wrapper = movie.source().wrapper) {
        const std::string name = wrapper_name(*wrapper);
        in.wrapper = name.substr(name.find(' ') + 1, name.rfind(' ') - name.find(' ') - 1);
    } else if (medialayer::OSErr err = medialayer::read_atom_layout(path, in.atoms)) {
        throw tool_error(movie_error_sentence(path, err));
    }
    in.compressed_header = movie.source().compressed_header;
    std::error_code ec;
    in.file_size = std::filesystem::file_size(path, ec);
    in.version = movie.object_version();
    in.record = movie.record();
    in.object_info = movie.qtvr().info;
    if (movie.qtvr().qtvr || movie.qtvr().object)
        in.qtvr = QtvrSummary{movie.qtvr().qtvr ? *movie.qtvr().qtvr + 1 : 0,
                              movie.qtvr().object ? *movie.qtvr().object + 1 : 0, movie.qtvr().nodes};
    in.controller_type = movie.controller_type();
    if (const medialayer::TrackInfo* track = movie.video()) {
        VideoSummary v;
        v.track_number = movie.video_index() + 1;
        if (!track->descriptions.empty()) {
            const auto& d = track->descriptions.front();
            v.codec = d.codec;
            v.codec_name = d.compressor_name;
            v.width = d.width;
            v.height = d.height;
            v.depth = d.depth;
        }
        v.sample_count = track->sample_count;
        v.duration = track->duration;
        v.time_scale = track->time_scale;
        v.sample_bytes = track->sample_bytes;
        v.self_contained = track->self_contained;
        in.video = v;
    }
    in.warnings = find_warnings(in, movie);
    if (in.version != 0 && in.video) {
        try {
            movie.require_object_grid();
            in.grid = movie.grid();
        } catch (const tool_error& e) {
            in.warnings.push_back(std::string("Sheet and web refuse this movie: ") + e.what());
        }
    }
    return in;
}

std::string inspection_text(const Inspection& in) {
    std::string out = in.path + ": " + size_text(in.file_size);
    if (!in.wrapper.empty()) out += ", a movie in " + in.wrapper + " (the atoms are in its forks)";
    if (in.compressed_header) out += ", compressed movie header";
    out += format("\nobject movie version %s\n\natoms (type, offset, size):\n",
                  in.version == 2 ? "2.x ('obji')" : in.version == 1 ? "1.0 ('NAVG')" : "none");
    for (const auto& a : in.atoms)
        out += format("  %-*s%10" PRIu64 " %10" PRIu64 "%s%s\n", 14, (std::string(a.depth * 2, ' ') + fourcc_text(a.type)).c_str(),
                      a.offset, a.size, a.wide_size ? "  (64-bit size)" : "", a.truncated ? "  (truncated)" : "");
    if (const auto& r = in.record) {
        out += "\nobject record ('NAVG'):\n";
        out += format("  version         %d\n", r->version);
        out += format("  grid            %d columns x %d rows, %d frame(s) per view\n", r->columns, r->rows, r->frames_per_view);
        out += format("  frame duration  %d\n", r->frame_duration);
        out += format("  movie type      %d\n  loop ticks      %d\n", r->movie_type, r->loop_ticks);
        out += "  field of view   " + angle(r->field_of_view) + "\n";
        out += "  pan             " + angle(r->start_pan) + " to " + angle(r->end_pan) +
               (r->pan_wraps() ? " (wraps around)" : "") + "\n";
        out += "  tilt            " + angle(r->start_tilt) + " to " + angle(r->end_tilt) + "\n";
        out += "  initial view    pan " + angle(r->initial_pan) + ", tilt " + angle(r->initial_tilt) +
               format(" (column %d, row %d)\n", r->initial_column() + 1, r->initial_row() + 1);
    } else if (!in.object_info) {
        out += "\nobject record ('NAVG' or 'obji'): none\n";
    }
    if (const auto& r = in.object_info) {
        out += "\nobject record ('obji'):\n";
        out += format("  version         %u.%u\n", r->major_version, r->minor_version);
        out += format("  grid            %u columns x %u rows\n", r->columns, r->rows);
        out += format("  view duration   %u\n", r->view_duration);
        out += format("  view states     %u, default %u, mouse-down %u\n", r->view_state_count, r->default_view_state,
                      r->mouse_down_view_state);
        out += format("  movie type      %u\n", r->movie_type);
        out += "  pan             " + angle(r->min_pan) + " to " + angle(r->max_pan) + ", default " + angle(r->default_pan) + "\n";
        out += "  tilt            " + angle(r->min_tilt) + " to " + angle(r->max_tilt) + ", default " + angle(r->default_tilt) + "\n";
        out += "  field of view   " + angle(r->field_of_view) + " (min " + angle(r->min_field_of_view) + ", default " +
               angle(r->default_field_of_view) + ")\n";
        out += format("  view centre     %g, %g\n  mouse scale     %g\n", r->default_view_centre_h, r->default_view_centre_v,
                      r->mouse_motion_scale);
        out += format("  view/frame rate %g / %g\n", r->view_rate, r->frame_rate);
        out += format("  animation       0x%04X%s\n", r->animation_settings, flag_names(r->animation_settings, animation_flags).c_str());
        out += format("  controls        0x%04X%s\n", r->control_settings, flag_names(r->control_settings, control_flags).c_str());
    }
    if (const auto& q = in.qtvr)
        out += format("  QTVR track %zu, object track %zu, %zu node(s)\n", q->qtvr_track, q->object_track, q->nodes);
    if (const auto& g = in.grid)
        out += format("  views           %d x %d in %d view state(s), %d frame(s) each%s\n", g->columns, g->rows, g->states,
                      g->frames_per_view, g->animate ? ", animated" : "");
    // Appended piece by piece: GCC 12 at -O3 takes "'" + std::string for an overlapping copy (bug 105651).
    out += "controller type   ";
    if (in.controller_type) {
        out += '\'';
        out += fourcc_text(*in.controller_type);
        out += "'\n";
    } else {
        out += "none\n";
    }
    if (const auto& v = in.video) {
        out += format("\nvideo track %zu:\n  codec           '%s'", v->track_number, fourcc_text(v->codec).c_str());
        if (!v->codec_name.empty()) out += " (" + v->codec_name + ")";
        out += format("\n  frame size      %d x %d, %d-bit\n", v->width, v->height, v->depth);
        out += format("  samples         %u (%s)\n", v->sample_count, size_text(v->sample_bytes).c_str());
        out += format("  duration        %" PRId64 " at %d per second (%.2f s)\n", v->duration, v->time_scale,
                      v->time_scale > 0 ? double(v->duration) / v->time_scale : 0.0);
    } else {
        out += "\nvideo track: none\n";
    }
    out += in.warnings.empty() ? "\nno warnings\n" : "\nwarnings:\n";
    for (const auto& w : in.warnings) out += "  " + w + "\n";
    return out;
}

std::string inspection_json(const Inspection& in) {
    using json = nlohmann::ordered_json;
    json atoms = json::array();
    for (const auto& a : in.atoms)
        atoms.push_back({{"type", fourcc_text(a.type)}, {"offset", a.offset}, {"size", a.size}, {"depth", a.depth},
                         {"wide_size", a.wide_size}, {"truncated", a.truncated}});
    json record = nullptr;
    if (const auto& r = in.record)
        record = {{"version", r->version}, {"columns", r->columns}, {"rows", r->rows},
                  {"frames_per_view", r->frames_per_view}, {"frame_duration", r->frame_duration},
                  {"movie_type", r->movie_type}, {"loop_ticks", r->loop_ticks}, {"field_of_view", r->field_of_view},
                  {"start_pan", r->start_pan}, {"end_pan", r->end_pan}, {"start_tilt", r->start_tilt},
                  {"end_tilt", r->end_tilt}, {"initial_pan", r->initial_pan}, {"initial_tilt", r->initial_tilt},
                  {"initial_column", r->initial_column()}, {"initial_row", r->initial_row()},
                  {"pan_wraps", r->pan_wraps()}};
    json info = nullptr;
    if (const auto& r = in.object_info)
        info = {{"major_version", r->major_version}, {"minor_version", r->minor_version},
                {"movie_type", r->movie_type}, {"view_state_count", r->view_state_count},
                {"default_view_state", r->default_view_state}, {"mouse_down_view_state", r->mouse_down_view_state},
                {"view_duration", r->view_duration}, {"columns", r->columns}, {"rows", r->rows},
                {"mouse_motion_scale", r->mouse_motion_scale}, {"min_pan", r->min_pan}, {"max_pan", r->max_pan},
                {"default_pan", r->default_pan}, {"min_tilt", r->min_tilt}, {"max_tilt", r->max_tilt},
                {"default_tilt", r->default_tilt}, {"min_field_of_view", r->min_field_of_view},
                {"field_of_view", r->field_of_view}, {"default_field_of_view", r->default_field_of_view},
                {"default_view_centre_h", r->default_view_centre_h}, {"default_view_centre_v", r->default_view_centre_v},
                {"view_rate", r->view_rate}, {"frame_rate", r->frame_rate},
                {"animation_settings", r->animation_settings},
                {"animation", flag_list(r->animation_settings, animation_flags)},
                {"control_settings", r->control_settings}, {"controls", flag_list(r->control_settings, control_flags)}};
    json views = nullptr;
    if (const auto& g = in.grid)
        views = {{"columns", g->columns}, {"rows", g->rows}, {"view_states", g->states},
                 {"default_view_state", g->default_state + 1},
                 {"mouse_down_view_state", g->mouse_down_state ? json(*g->mouse_down_state + 1) : json(nullptr)},
                 {"frames_per_view", g->frames_per_view}, {"animated", g->animate}, {"pans", g->pans}, {"tilts", g->tilts},
                 {"initial_column", g->initial_column}, {"initial_row", g->initial_row}};
    json qtvr = nullptr;
    if (const auto& q = in.qtvr) qtvr = {{"qtvr_track", q->qtvr_track}, {"object_track", q->object_track}, {"nodes", q->nodes}};
    json video = nullptr;
    if (const auto& v = in.video)
        video = {{"track", v->track_number}, {"codec", fourcc_text(v->codec)}, {"codec_name", v->codec_name},
                 {"width", v->width}, {"height", v->height}, {"depth", v->depth}, {"samples", v->sample_count},
                 {"sample_bytes", v->sample_bytes}, {"duration", v->duration}, {"time_scale", v->time_scale},
                 {"self_contained", v->self_contained}};
    const json doc = {{"file", in.path},
                      {"size", in.file_size},
                      {"wrapper", in.wrapper.empty() ? json(nullptr) : json(in.wrapper)},
                      {"compressed_header", in.compressed_header},
                      {"atoms", atoms},
                      {"version", in.version},
                      {"record", record},
                      {"object_info", info},
                      {"qtvr", qtvr},
                      {"views", views},
                      {"controller_type", in.controller_type ? json(fourcc_text(*in.controller_type)) : json(nullptr)},
                      {"video", video},
                      {"warnings", in.warnings}};
    return doc.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace objecttool
