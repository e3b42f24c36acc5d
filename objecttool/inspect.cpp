#include "objecttool/inspect.h"

#include <cinttypes>
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
    if (movie.record_damaged()) warnings.push_back("The 'NAVG' item is shorter than the 48-byte object record.");
    else if (!in.record) warnings.push_back("There is no object record ('NAVG' item): this is not an object movie.");
    if (!in.controller_type)
        warnings.push_back("There is no controller type ('ctyp' item); players will not treat this as an object movie.");
    else if (*in.controller_type != object_controller)
        warnings.push_back("The controller type is '" + fourcc_text(*in.controller_type) +
                           "', not 'stna'; players will not use their object controller.");
    if (!in.video) warnings.push_back("There is no video track.");
    if (in.record && in.video) {
        const std::int64_t expected = std::int64_t(in.record->columns) * in.record->rows * in.record->frames_per_view;
        if (expected != in.video->sample_count)
            warnings.push_back(format("The video track holds %u samples, but the record's grid of %d x %d views at %d "
                                      "frame(s) each needs %" PRId64 ".",
                                      in.video->sample_count, in.record->columns, in.record->rows,
                                      in.record->frames_per_view, expected));
    }
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
    const ObjectMovie movie(path);
    Inspection in;
    in.path = path;
    if (medialayer::OSErr err = medialayer::read_atom_layout(path, in.atoms)) throw tool_error(movie_error_sentence(path, err));
    std::error_code ec;
    in.file_size = std::filesystem::file_size(path, ec);
    in.record = movie.record();
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
    return in;
}

std::string inspection_text(const Inspection& in) {
    std::string out = in.path + ": " + size_text(in.file_size) + "\n\natoms (type, offset, size):\n";
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
    } else {
        out += "\nobject record ('NAVG'): none\n";
    }
    out += "controller type   " + (in.controller_type ? "'" + fourcc_text(*in.controller_type) + "'" : std::string("none")) + "\n";
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
    json video = nullptr;
    if (const auto& v = in.video)
        video = {{"track", v->track_number}, {"codec", fourcc_text(v->codec)}, {"codec_name", v->codec_name},
                 {"width", v->width}, {"height", v->height}, {"depth", v->depth}, {"samples", v->sample_count},
                 {"sample_bytes", v->sample_bytes}, {"duration", v->duration}, {"time_scale", v->time_scale},
                 {"self_contained", v->self_contained}};
    const json doc = {{"file", in.path},
                      {"size", in.file_size},
                      {"atoms", atoms},
                      {"record", record},
                      {"controller_type", in.controller_type ? json(fourcc_text(*in.controller_type)) : json(nullptr)},
                      {"video", video},
                      {"warnings", in.warnings}};
    return doc.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace objecttool
