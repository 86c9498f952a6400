// The catalog body: drives, types, image paths, big files, their total size
// and the over-length map, in that order.
#include "afx.h"
#include "catalog/serialization.h"

namespace {

// Least bytes an item takes in the file; a count that cannot fit in what is
// left of the file is damage, not a reason to allocate.
constexpr ULONGLONG kMinStr = 1;  // the 8-bit form of an empty string
constexpr ULONGLONG kMinI32 = 4;
constexpr ULONGLONG kMinDrive = kMinStr + 2 * kMinI32;
constexpr ULONGLONG kMinType = kMinStr + 2 * kMinI32;
constexpr ULONGLONG kMinBigFile = 3 * kMinStr + 2 * kMinI32 + 8;
constexpr ULONGLONG kMinOverLength = 2 * kMinStr;

size_t ReadCount(CArchive& ar, ULONGLONG itemSize) {
    LONG count = ar.ReadI32();
    if (count < 0) throw CArchiveException(CArchiveException::badLength, ERROR_INVALID_DATA);
    ar.RequireRoomFor(static_cast<ULONGLONG>(count), itemSize);
    return static_cast<size_t>(count);
}

void WriteCount(CArchive& ar, size_t count) { ar.WriteI32(static_cast<LONG>(count)); }

void WriteInts(CArchive& ar, const std::vector<int>& values) {
    WriteCount(ar, values.size());
    for (int v : values) ar.WriteI32(v);
}

void ReadInts(CArchive& ar, std::vector<int>& values) {
    size_t count = ReadCount(ar, kMinI32);
    for (size_t i = 0; i < count; ++i) values.push_back(ar.ReadI32());
}

void WriteStrings(CArchive& ar, const std::vector<CString>& values) {
    WriteCount(ar, values.size());
    for (const CString& v : values) ar.WriteString(v);
}

void ReadStrings(CArchive& ar, std::vector<CString>& values) {
    size_t count = ReadCount(ar, kMinStr);
    for (size_t i = 0; i < count; ++i) values.push_back(ar.ReadString());
}

void StoreBody(CArchive& ar, CQXSerialization& catalog) {
    CQXSerializeObject& data = *catalog.m_serializationData;
    static const std::vector<DriveEntry> kNoDrives;
    static const std::vector<TypeEntry> kNoTypes;
    const std::vector<DriveEntry>& drives = data.arDriveList ? *data.arDriveList : kNoDrives;
    const std::vector<TypeEntry>& types = data.arTypeList ? *data.arTypeList : kNoTypes;

    WriteCount(ar, drives.size());
    for (const DriveEntry& drive : drives) {
        ar.WriteString(drive.Drive);
        WriteCount(ar, drive.arFileList.size());
        WriteInts(ar, drive.IndexofImage);
    }
    WriteCount(ar, types.size());
    for (const TypeEntry& type : types) {
        ar.WriteString(type.Category);
        WriteStrings(ar, type.Extension);
        WriteInts(ar, type.IndexofImage);
    }
    WriteStrings(ar, data.simageList);

    catalog.m_bigFileTotalSize = 0;
    WriteCount(ar, catalog.m_arBigFile.size());
    for (const FileNode& node : catalog.m_arBigFile) {
        ar.WriteString(node.suszPath);
        WriteStrings(ar, node.splitPathArray);
        ar.WriteU64(node.size);
        ar.WriteString(node.Category);
        ar.WriteString(node.Extension);
        WriteInts(ar, node.IndexofImage);
        catalog.m_bigFileTotalSize += node.size;
    }
    ar.WriteU64(catalog.m_bigFileTotalSize);

    WriteCount(ar, catalog.m_OverLengthFileList.size());
    for (const auto& [key, value] : catalog.m_OverLengthFileList) {
        ar.WriteString(key);
        ar.WriteString(value);
    }
}

void LoadBody(CArchive& ar, CQXSerialization& catalog) {
    CQXSerializeObject& data = *catalog.m_serializationData;
    std::vector<DriveEntry>& drives = data.arDriveList ? *data.arDriveList : catalog.m_arDrive;
    std::vector<TypeEntry>& types = data.arTypeList ? *data.arTypeList : catalog.m_arType;

    size_t count = ReadCount(ar, kMinDrive);
    for (size_t i = 0; i < count; ++i) {
        DriveEntry drive;
        drive.Drive = ar.ReadString();
        ar.ReadI32();  // the file count; the nodes are not stored
        ReadInts(ar, drive.IndexofImage);
        drives.push_back(std::move(drive));
    }
    count = ReadCount(ar, kMinType);
    for (size_t i = 0; i < count; ++i) {
        TypeEntry type;
        type.Category = ar.ReadString();
        ReadStrings(ar, type.Extension);
        ReadInts(ar, type.IndexofImage);
        types.push_back(std::move(type));
    }
    ReadStrings(ar, data.simageList);

    count = ReadCount(ar, kMinBigFile);
    for (size_t i = 0; i < count; ++i) {
        FileNode node;
        node.suszPath = ar.ReadString();
        ReadStrings(ar, node.splitPathArray);
        node.size = ar.ReadU64();
        node.Category = ar.ReadString();
        node.Extension = ar.ReadString();
        ReadInts(ar, node.IndexofImage);
        catalog.m_arBigFile.push_back(std::move(node));
    }
    catalog.m_bigFileTotalSize = ar.ReadU64();

    catalog.m_OverLengthFileList.clear();
    count = ReadCount(ar, kMinOverLength);
    for (size_t i = 0; i < count; ++i) {
        CString key = ar.ReadString();
        catalog.m_OverLengthFileList[key] = ar.ReadString();
    }
}

}  // namespace

void CQXSerialization::Serialize(CArchive& ar) {
    if (!m_serializationData) return;
    if (ar.IsStoring())
        StoreBody(ar, *this);
    else
        LoadBody(ar, *this);
}
