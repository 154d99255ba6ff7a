// Fakes of the meters' services without Qt: a mount table with its devices and the
// space of each mount point, the memory figures, and mixer devices. Core tests use
// them alone; FakePlatform hands them out.
#pragma once

#include <map>
#include <set>
#include <utility>

#include "core/meters/MeterServices.h"

namespace kex {

class FakeDrives : public VolumeService {
public:
    std::string mountTable;
    std::map<std::pair<unsigned, unsigned>, BlockDeviceFacts> devices;
    std::vector<std::string> opticalDrives;
    std::map<std::string, VolumeSpace> space; // a mount point missing here cannot be read
    std::vector<std::vector<std::string>> spaceCalls;

    // A new mount table, seen as a change.
    void SetMountTable(std::string text)
    {
        mountTable = std::move(text);
        ++generation_;
    }

    std::uint64_t MountTableGeneration() override { return generation_; }
    std::string MountTable() override
    {
        ++tableReads;
        return mountTable;
    }
    BlockDeviceFacts DeviceFacts(unsigned major, unsigned minor) override
    {
        auto it = devices.find({major, minor});
        return it == devices.end() ? BlockDeviceFacts{} : it->second;
    }
    std::vector<std::string> OpticalDrives() override { return opticalDrives; }
    std::vector<std::optional<VolumeSpace>> Space(const std::vector<std::string>& mountPoints) override
    {
        spaceCalls.push_back(mountPoints);
        std::vector<std::optional<VolumeSpace>> answers;
        for (const std::string& point : mountPoints) {
            auto it = space.find(point);
            answers.push_back(it == space.end() ? std::nullopt : std::optional(it->second));
        }
        return answers;
    }

    int tableReads = 0;

private:
    std::uint64_t generation_ = 1;
};

class FakeMemory : public MemoryService {
public:
    std::string memInfo;
    std::string MemInfo() override { return memInfo; }
};

class FakeMixer : public MixerService {
public:
    std::map<int, std::uint32_t> devices; // the devices present, with their volume words
    std::set<int> refusing;               // present, but a change is refused
    std::vector<std::pair<int, std::uint32_t>> writes;

    std::optional<std::uint32_t> Volume(int device) override
    {
        auto it = devices.find(device);
        return it == devices.end() ? std::nullopt : std::optional(it->second);
    }
    bool SetVolume(int device, std::uint32_t word) override
    {
        if (!devices.contains(device) || refusing.contains(device))
            return false;
        writes.emplace_back(device, word);
        devices[device] = word;
        return true;
    }
};

} // namespace kex
