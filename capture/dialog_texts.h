// The parameter dialog's texts, in code page 932 as the host expects them.
#pragma once

namespace dialog_text {

inline constexpr char title[] = "Orbivane";
inline constexpr char horizontal_divisions[] = "\x89\xA1\x95\xAA\x8A\x84";                  // 横分割
inline constexpr char vertical_divisions[] = "\x8F\x63\x95\xAA\x8A\x84";                    // 縦分割
inline constexpr char frames_unit[] = "\x83\x74\x83\x8C\x81\x5B\x83\x80";                   // フレーム
inline constexpr char upper_hemisphere_only[] = "\x8F\xE3\x94\xBC\x8B\x85\x82\xCC\x82\xDD";  // 上半球のみ
inline constexpr char move_light[] = "\x8C\xF5\x8C\xB9\x88\xDA\x93\xAE";                    // 光源移動
inline constexpr char stereo_view[] = "\x97\xA7\x91\xCC\x8E\x8B";                           // 立体視
// 手法/平行法/交差法: the selection's title, then its two choices.
inline constexpr char stereo_method[] =
    "\x8E\xE8\x96\x40\x2F\x95\xBD\x8D\x73\x96\x40\x2F\x8C\xF0\x8D\xB7\x96\x40";
inline constexpr char parallax[] = "\x8E\x8B\x8D\xB7";  // 視差
inline constexpr char degrees_unit[] = "\x93\x78";     // 度

}  // namespace dialog_text
