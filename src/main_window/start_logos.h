#pragma once

#include <filesystem>
#include <string_view>

#include "app/config_paths.h"
#include "config/file_io.h"

// The switch for the game's start-logo videos. The game plays the videos its
// list file logo.ini names; the tool only ever writes that file whole and
// never reads it, so it neither knows nor shows which list is in place.
namespace valdor::main_window {

enum class StartLogos { All, FirstOnly };

// The bytes on disk: the names separated by CR LF on every platform, without
// a line end after the last name (78 and 14 bytes).
inline constexpr std::string_view kAllStartLogos =
    "V3_Logo_01.bik\r\nV3_Logo_02.bik\r\nV3_Logo_03.bik\r\nV3_Logo_04.bik\r\nV3_Logo_05.bik";
inline constexpr std::string_view kFirstStartLogo = "V3_Logo_01.bik";

std::string_view StartLogoBytes(StartLogos logos);

// logo.ini in the folder of engineIni.
std::filesystem::path LogoIniPath(const app::ConfigPaths& paths);

// Replaces logo.ini, whatever it held, with the list; atomically, keeping the
// file's permissions and never replacing a read-only file. The restore button
// writes all five videos, the remove button the first only, each after the
// player said Yes.
config::Result WriteStartLogos(const app::ConfigPaths& paths, StartLogos logos);

}  // namespace valdor::main_window
