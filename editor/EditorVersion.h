#pragma once

// The editor's own version, apart from the agent's: its About box shows it.
namespace quenlow::EditorVersion {

inline constexpr int kMajor = 1;
inline constexpr int kMinor = 2;
inline constexpr int kRevision = 1;
// major "." minor "." revision, without leading zeros.
inline constexpr const char* kText = "1.2.1";

}  // namespace quenlow::EditorVersion
