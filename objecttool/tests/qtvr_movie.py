#!/usr/bin/env python3
"""Writes object movies the way other programs did, for the tool's tests:
frames encoded by FFmpeg in an old codec, wrapped in QuickTime VR 2.x tracks
(a QTVR track, an object track with its 'obji' record, the image track) or in
a QuickTime VR 1.0 'NAVG' record, optionally with a compressed header, inside
MacBinary or AppleDouble, as a reference movie, or as a panorama.

Every frame is one flat colour, view_colour(index), so a reader can tell
which frame it shows. Frame index: ((state * rows + row) * columns + column)
* frames_per_view + k.

Usage: qtvr_movie.py OUT --codec cinepak --columns 4 --rows 3 [options]"""
import argparse
import os
import struct
import subprocess
import tempfile
import zlib

LEVELS = (0, 85, 170, 255)


def view_colour(index):
    """Distinct flat colours that survive 8-bit palettes and lossy codecs."""
    return (LEVELS[index % 4], LEVELS[index // 4 % 4], (0, 255)[index // 16 % 2])


def atom(kind, *payload):
    body = b"".join(payload)
    return struct.pack(">I4s", 8 + len(body), kind) + body


def parse_atoms(data):
    out, at = [], 0
    while at + 8 <= len(data):
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        header = 8
        if size == 1:
            size, header = struct.unpack(">Q", data[at + 8:at + 16])[0], 16
        elif size == 0:
            size = len(data) - at
        out.append((kind, at, data[at + header:at + size]))
        at += size
    return out


def child(data, kind):
    return next(body for k, _, body in parse_atoms(data) if k == kind)


def qt_atom(kind, atom_id, children=(), data=b""):
    """A QT atom: 20-byte header (size, type, ID, reserved, child count, reserved)."""
    body = b"".join(children) if children else data
    return struct.pack(">I4sIHHI", 20 + len(body), kind, atom_id, 0, len(children), 0) + body


def container(*children):
    return bytes(10) + struct.pack(">H", 0) + qt_atom(b"sean", 1, children)


def obji(a):
    animation = (1 if a.frames_per_view > 1 else 0) | (8 if a.animate_views else 0)
    controls = (1 if a.wrap_pan else 0) | (2 if a.wrap_tilt else 0) | (8 if a.reverse_pan else 0) | \
        (16 if a.reverse_tilt else 0) | (32 if a.swap_axes else 0)
    return struct.pack(">HHHHHHIIIf3f3f3f2f2fII", 2, 0, 4, a.states, a.default_state, a.mouse_down_state,
                       a.view_duration, a.columns, a.rows, 180.0, a.min_pan, a.max_pan, a.default_pan,
                       a.min_tilt, a.max_tilt, a.default_tilt, 5.0, 30.0, 30.0, 0.0, 0.0, 1.0, a.frame_rate,
                       animation, controls)


def navg(a):
    fixed = lambda degrees: int(round(degrees * 65536)) & 0xFFFFFFFF
    return struct.pack(">hhhhhhhh8I", 1, a.columns, a.rows, 0, a.frames_per_view, a.frame_duration, 1, 0,
                       fixed(60), fixed(a.min_pan), fixed(a.max_pan), fixed(a.max_tilt), fixed(a.min_tilt),
                       fixed(a.default_pan), fixed(a.default_tilt), 0)


def encode_frames(a, count, path, shift=0):
    frames = b"".join(bytes(view_colour(i + shift)) * (a.width * a.height) for i in range(count))
    codec = ["-c:v", a.codec] + (["-pix_fmt", "pal8"] if a.codec == "smc" else [])
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24", "-s",
                    f"{a.width}x{a.height}", "-r", "1", "-i", "-", *codec, "-g", "1", "-f", "mov", path],
                   input=frames, check=True)


def track(track_id, handler, duration, scale, sample_entry, sample_offset, sample_size, tref=b""):
    """A QTVR or object track: 'gmhd' media header, 'alis' self reference, one sample."""
    tkhd = atom(b"tkhd", struct.pack(">6I8x4h", 0xF, 0, 0, track_id, 0, duration, 0, 0, 0, 0),
                struct.pack(">9I", 0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000), struct.pack(">II", 0, 0))
    mdhd = atom(b"mdhd", struct.pack(">6I2H", 0, 0, 0, scale, duration, 0, 0, 0)[:24])
    hdlr = lambda kind, sub, name: atom(b"hdlr", struct.pack(">I4s4s4sII", 0, kind, sub, b"appl", 0, 0),
                                        bytes([len(name)]) + name)
    gmhd = atom(b"gmhd", atom(b"gmin", struct.pack(">IH3HhH", 0, 0x40, 0x8000, 0x8000, 0x8000, 0, 0)))
    dref = atom(b"dinf", atom(b"dref", struct.pack(">II", 0, 1), atom(b"alis", struct.pack(">I", 1))))
    stbl = atom(b"stbl",
                atom(b"stsd", struct.pack(">II", 0, 1), atom(handler, bytes(6), struct.pack(">H", 1), sample_entry)),
                atom(b"stts", struct.pack(">IIII", 0, 1, 1, duration)),
                atom(b"stsc", struct.pack(">IIIII", 0, 1, 1, 1, 1)),
                atom(b"stsz", struct.pack(">III", 0, sample_size, 1)),
                atom(b"stco", struct.pack(">III", 0, 1, sample_offset)))
    minf = atom(b"minf", gmhd, hdlr(b"dhlr", b"alis", b"Alias Data Handler"), dref, stbl)
    mdia = atom(b"mdia", mdhd, hdlr(b"mhlr", handler, b"QuickTime VR"), minf)
    return atom(b"trak", tkhd, mdia, *( [atom(b"tref", tref)] if tref else []))


def set_track_id(trak, new_id):
    tkhd_at = trak.index(b"tkhd") - 4
    body = bytearray(trak)
    struct.pack_into(">I", body, tkhd_at + 8 + 12, new_id)
    return bytes(body)


def build(a):
    views = a.columns * a.rows * a.states
    with tempfile.TemporaryDirectory() as scratch:
        frames_path = a.frames_from or os.path.join(scratch, "frames.mov")
        if not a.frames_from:
            encode_frames(a, views * a.frames_per_view, frames_path)
        data = open(frames_path, "rb").read()
        decoy_data = b""
        if a.decoy:
            # Other frames (each view's colour off by one), as a hot-spot or preview track would hold.
            encode_frames(a, views * a.frames_per_view, os.path.join(scratch, "decoy.mov"), shift=1)
            decoy_data = open(os.path.join(scratch, "decoy.mov"), "rb").read()
    top = parse_atoms(data)
    moov_at = next(at for kind, at, _ in top if kind == b"moov")
    moov = next(body for kind, _, body in top if kind == b"moov")
    prefix = data[:moov_at]  # everything before the movie: its sample offsets stay valid
    mvhd = child(moov, b"mvhd")
    movie_scale, = struct.unpack(">I", mvhd[12:16])
    video_body = next(body for kind, _, body in parse_atoms(moov) if kind == b"trak")
    video = atom(b"trak", video_body)
    media = child(child(video_body, b"mdia"), b"mdhd")
    media_scale, media_duration = struct.unpack(">II", media[12:20])
    frame_movie_time = media_duration * movie_scale // media_scale // (views * a.frames_per_view)
    a.view_duration = a.view_duration or frame_movie_time * a.frames_per_view
    a.frame_duration = frame_movie_time
    total = a.view_duration * views

    user = []
    traks = []
    extra = b""
    if a.version == 1:
        user = [atom(b"NAVG", navg(a)), atom(b"ctyp", b"stna")]
        traks = [video]
    else:
        image_id, object_id, vr_id = 5, 2, 3
        node = b"pano" if a.panorama else b"obje"
        object_sample = container(qt_atom(b"pdat" if a.panorama else b"obji", 1, data=obji(a)))
        vr_sample = container(qt_atom(b"ndhd", 1, data=struct.pack(">HH4sIIIII", 2, 0, node, 1, 0, 0, 0, 0)))
        world = container(
            qt_atom(b"vrsc", 1, data=struct.pack(">HHIIIII", 2, 0, 0, 1, 0, 0, 0)),
            qt_atom(b"vrnp", 1, [qt_atom(b"vrni", 1, [qt_atom(b"nloc", 1, data=struct.pack(
                ">HH4sIIII", 2, 0, node, 0, 0, 0, 0))])]))
        extra_at = len(prefix) + 8
        extra = atom(b"mdat", object_sample, vr_sample)
        # The object track names its image track ('imgt') and, with a decoy, the hot-spot track ('hott').
        references = b"" if a.no_image_reference else atom(b"imgt", struct.pack(">I", image_id))
        if a.decoy:
            references += atom(b"hott", struct.pack(">I", 1))
        object_track = track(object_id, node, total, movie_scale, b"", extra_at, len(object_sample), references)
        vr_track = track(vr_id, b"qtvr", total, movie_scale, world, extra_at + len(object_sample), len(vr_sample),
                         atom(node, struct.pack(">I", object_id)))
        # A decoy first video track (hot spots or a preview) whose frames are not the views: its
        # movie's bytes go in an 'mdat' after the object's, its chunk offsets moved with them.
        decoy = b""
        if a.decoy:
            decoy_moov_at = next(at for kind, at, _ in parse_atoms(decoy_data) if kind == b"moov")
            decoy_moov = next(body for kind, _, body in parse_atoms(decoy_data) if kind == b"moov")
            decoy_trak = bytearray(atom(b"trak", next(body for kind, _, body in parse_atoms(decoy_moov) if kind == b"trak")))
            moved = len(prefix) + len(extra) + 8
            stco = decoy_trak.index(b"stco") + 4
            count, = struct.unpack_from(">I", decoy_trak, stco + 4)
            for i in range(count):
                at = stco + 8 + 4 * i
                struct.pack_into(">I", decoy_trak, at, struct.unpack_from(">I", decoy_trak, at)[0] + moved)
            extra += atom(b"mdat", decoy_data[:decoy_moov_at])
            decoy = set_track_id(bytes(decoy_trak), 1)
        traks = ([decoy] if decoy else []) + [vr_track, object_track, set_track_id(video, image_id)]
        user = [atom(b"ctyp", b"qtvr")]
    new_mvhd = bytearray(mvhd)
    struct.pack_into(">I", new_mvhd, len(mvhd) - 4, 8)  # next track ID
    movie = atom(b"moov", atom(b"mvhd", bytes(new_mvhd)), *traks, atom(b"udta", *user, bytes(4)))
    if a.compress:
        packed = zlib.compress(movie)
        movie = atom(b"moov", atom(b"cmov", atom(b"dcom", b"zlib"),
                                   atom(b"cmvd", struct.pack(">I", len(movie)), packed)))
    if a.reference:
        entry = lambda name: atom(b"rmda", atom(b"rdrf", struct.pack(">I4sI", 0, b"url ", len(name) + 1), name + b"\0"))
        return prefix[:0] + atom(b"moov", atom(b"rmra", entry(b"vase-fast.mov"), entry(b"vase-slow.mov")))
    return prefix + extra + movie


def resource_fork(movie):
    """A resource fork holding one 'moov' resource (ID 128)."""
    data = struct.pack(">I", len(movie)) + movie
    type_list = struct.pack(">H4sHH", 0, b"moov", 0, 10)
    refs = struct.pack(">hhI I", 128, -1, 0, 0)
    resource_map = bytes(16) + bytes(8) + struct.pack(">HH", 28, 28 + len(type_list) + len(refs)) + type_list + refs
    return struct.pack(">IIII", 256, 256 + len(data), len(data), len(resource_map)) + bytes(240) + data + resource_map


def macbinary(name, data_fork, resources):
    header = bytearray(128)
    header[1] = len(name)
    header[2:2 + len(name)] = name
    header[65:73] = b"MooVTVOD"
    struct.pack_into(">II", header, 83, len(data_fork), len(resources))
    header[122:124] = bytes([129, 129])
    crc = 0
    for byte in header[:124]:
        crc ^= byte << 8
        for _ in range(8):
            crc = (crc << 1 ^ 0x1021 if crc & 0x8000 else crc << 1) & 0xFFFF
    struct.pack_into(">H", header, 124, crc)
    pad = lambda b: b + bytes(-len(b) % 128)
    return bytes(header) + pad(data_fork) + pad(resources)


def apple_double(resources):
    return struct.pack(">II16sHIII", 0x00051607, 0x00020000, bytes(16), 1, 2, 38, len(resources)) + resources


def main():
    p = argparse.ArgumentParser()
    p.add_argument("out")
    p.add_argument("--codec", default="mjpeg")
    p.add_argument("--width", type=int, default=64)
    p.add_argument("--height", type=int, default=48)
    p.add_argument("--columns", type=int, default=4)
    p.add_argument("--rows", type=int, default=3)
    p.add_argument("--states", type=int, default=1)
    p.add_argument("--default-state", type=int, default=1)
    p.add_argument("--mouse-down-state", type=int, default=1)
    p.add_argument("--frames-per-view", type=int, default=1)
    p.add_argument("--view-duration", type=int, default=0, help="movie time units; 0: the frames' own")
    p.add_argument("--frame-rate", type=float, default=0.0)
    p.add_argument("--min-pan", type=float, default=0.0)
    p.add_argument("--max-pan", type=float, default=360.0)
    p.add_argument("--default-pan", type=float, default=0.0)
    p.add_argument("--min-tilt", type=float, default=90.0)
    p.add_argument("--max-tilt", type=float, default=-90.0)
    p.add_argument("--default-tilt", type=float, default=0.0)
    for flag in ("wrap-pan", "wrap-tilt", "reverse-pan", "reverse-tilt", "swap-axes", "animate-views", "decoy",
                 "compress", "reference", "panorama", "no-image-reference"):
        p.add_argument("--" + flag, action="store_true")
    p.add_argument("--frames-from", help="a movie of one video track whose frames to wrap, instead of flat colours")
    p.add_argument("--version", type=int, default=2, choices=(1, 2))
    p.add_argument("--wrapper", choices=("macbinary", "appledouble"))
    a = p.parse_args()
    movie = build(a)
    if a.wrapper:
        # A Mac movie: the movie in the resource fork, its media in the data fork.
        moov_at = next(at for kind, at, _ in parse_atoms(movie) if kind == b"moov")
        data_fork, resources = movie[:moov_at], resource_fork(movie[moov_at:])
        if a.wrapper == "macbinary":
            movie = macbinary(os.path.basename(a.out).encode(), data_fork, resources)
        else:
            directory, name = os.path.split(a.out)
            open(os.path.join(directory, name[2:] if name.startswith("._") else name + ".data"), "wb").write(data_fork)
            movie = apple_double(resources)
    with open(a.out, "wb") as out:
        out.write(movie)


if __name__ == "__main__":
    main()
