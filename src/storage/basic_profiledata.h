#pragma once

// `CBasicProfiledata`: the profile document a device object owns. It holds the device's
// section of the current profile file ("Device"[device index]), hands typed records to the
// device code and writes changed records back into the in-memory document; nothing reaches
// the disk until Save.
//
// A profile file is a JSON object: "profilename", "profileUUID" and "Device", an array whose
// element at the device index (0 for every device) is the device document. The sections of a
// device document are read and written by this class (light setting, light effect list, key
// list) and by its subclasses for the kinds.
//
// Not thread-safe: each device uses its document from the thread that drives its page.

#include <json/json.h>

#include <filesystem>
#include <vector>

#include "storage/profile_records.h"

namespace calvorn::storage {

class CBasicProfiledata {
public:
    // Device indexes beyond this are refused, so a document never grows a huge "Device" array.
    static constexpr int kMaxDeviceIndex = 15;

    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = default;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = default;

    // Empty paths are ignored.
    void SetProfilePath(const std::filesystem::path& path);
    const std::filesystem::path& GetProfilePath() const { return profile_path_; }
    void SetDefaultProfilePath(const std::filesystem::path& path);
    const std::filesystem::path& GetDefaultProfilePath() const { return default_profile_path_; }
    void SetPresetListPath(const std::filesystem::path& path);
    const std::filesystem::path& GetPresetListPath() const { return preset_list_path_; }
    // Ignored outside 0 ... kMaxDeviceIndex.
    void SetDeviceIndex(int index);
    int GetDeviceIndex() const { return device_index_; }

    // Loads the device document from the profile file at `path` and returns a copy. When the
    // file (or its device document) is missing, empty or broken, the document is taken from
    // the default profile and written into the file at once (keeping the file's other keys when
    // it is an object). The default profile itself is never written this way.
    Json::Value Load(const std::filesystem::path& path);
    const Json::Value& Document() const { return document_; }

    // Stores the document as the device-index element of "Device" in the profile file.
    virtual bool Save();
    // Stores `value` as the device-index element of "Device" in the file at `path`; the file's
    // other keys survive. A file that is not a JSON object is replaced.
    virtual bool SaveTo(const Json::Value& value, const std::filesystem::path& path);
    // Writes `value` as the whole file at `path`.
    virtual bool WriteWhole(const Json::Value& value, const std::filesystem::path& path);

    // "LightInfo". A missing section reads as all zeros.
    LightSetting ReadLightInfo();
    void WriteLightInfo(const LightSetting& setting);

    // "LightList". A missing section reads as an empty list.
    std::vector<LightEffectRecord> ReadLightList();

    // "KeyList", one pair per element. A missing section reads as an empty list.
    std::vector<KeyAssignmentPair> ReadKeyAssignments();
    // Sets "Assignment" of element i to the code of list entry i; elements beyond the list and
    // every "DefaultAssignment" stay as they are.
    void WriteKeyAssignments(const std::vector<KeyAssignmentPair>& keys);

protected:
    // The document for writing: it becomes an object first when it is not one.
    Json::Value& DocumentForWrite();
    // The device document inside a profile root (null when absent or not an object).
    const Json::Value& DeviceDocumentOf(const Json::Value& root) const;

private:
    std::filesystem::path profile_path_;
    std::filesystem::path default_profile_path_;
    std::filesystem::path preset_list_path_;
    Json::Value document_;
    int device_index_ = 0;
};

}  // namespace calvorn::storage
