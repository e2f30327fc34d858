#pragma once
// The program's identity: one place for the names that settings keys,
// file types and window titles are built from.

namespace kv {
inline constexpr const char* kOrganisation = "zrvsoft";
inline constexpr const char* kProductKey = "Kvqy";
inline constexpr const char* kVersion = "5.2";
inline constexpr const char* kDataFileExt = "xxd";
inline constexpr const char* kExecutable = "kvqy";
inline constexpr const char* kProductName = "青禾苑学校管理软件";
inline constexpr const char* kDataFileDescription = "青禾苑学校管理数据文件";
inline constexpr int kEditionCode = 22;
}  // namespace kv
