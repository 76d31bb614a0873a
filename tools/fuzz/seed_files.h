#pragma once
// What the fuzz seed writer's parts share: reading and writing whole files,
// and a seed written with its truncations.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace seeds {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size);
inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    WriteFile(path, bytes.data(), bytes.size());
}
// The seed itself and its first half, first quarter and first 16 bytes.
void Seed(const std::filesystem::path& dir, const std::string& name, const Bytes& bytes);
inline Bytes FromText(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Seeds made here rather than taken from the shipped data: small sounds
// from the asset generator's encoders, archives of every kind of entry,
// gamepad mapping files, the score server's answers, and demos that decode but hold odd values, or
// that are damaged where a reader is most easily led astray.
void WriteSoundSeeds(const std::filesystem::path& dir);
void WriteArchiveSeeds(const std::filesystem::path& dir);
void WriteMappingSeeds(const std::filesystem::path& dir);
void WriteScoreAnswerSeeds(const std::filesystem::path& dir);
void WriteDemoSeeds(const std::filesystem::path& dir, const std::vector<Bytes>& recorded);
void WriteReplaySeeds(const std::filesystem::path& dir, const std::vector<Bytes>& recorded);

}  // namespace seeds
