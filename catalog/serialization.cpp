#include "catalog/serialization.h"

#include <new>

#include "services/path_parts.h"
#include "services/state.h"

namespace {

// First record whose Category equals name, ignoring case.
template <typename Record>
Record* FindByCategory(std::vector<Record>& records, const CString& name) {
    for (Record& r : records)
        if (r.Category.CompareNoCase(name) == 0) return &r;
    return nullptr;
}

}  // namespace

CQXSerialization::CQXSerialization() {
    m_serializationData = new (std::nothrow) CQXSerializeObject;
    if (m_serializationData) {
        m_serializationData->arDriveList = &m_arDrive;
        m_serializationData->arTypeList = &m_arType;
    }
    Clear();
}

CQXSerialization::~CQXSerialization() {
    Clear();
    if (m_serializationData) {
        m_serializationData->arDriveList = nullptr;
        m_serializationData->arTypeList = nullptr;
    }
    delete m_serializationData;
}

void CQXSerialization::Clear() {
    for (DriveEntry& drive : m_arDrive) {
        for (FileNode& node : drive.arFileList) {
            node.splitPathArray.clear();
            node.IndexofImage.clear();
        }
        drive.arFileList.clear();
        drive.IndexofImage.clear();
    }
    for (TypeEntry& type : m_arType) {
        type.Extension.clear();
        type.IndexofImage.clear();
    }
    if (m_serializationData) m_serializationData->simageList.clear();
    m_arDrive.clear();
    m_arCategoryFiles.clear();
    m_arBigFile.clear();
    m_arType.clear();
}

void CQXSerialization::Reset() {
    Clear();
    m_OverLengthFileList.clear();
    m_bigFileTotalSize = 0;
    m_bigFileDoneSize = 0;
}

CategoryFiles* CQXSerialization::FindCategoryFiles(CString category) {
    return FindByCategory(m_arCategoryFiles, category);
}

TypeEntry* CQXSerialization::FindType(CString category) { return FindByCategory(m_arType, category); }

DriveEntry* CQXSerialization::FindDrive(CString drive) {
    for (DriveEntry& d : m_arDrive)
        if (d.Drive.CompareNoCase(drive) == 0) return &d;
    return nullptr;
}

void CQXSerialization::AddImageToType(CString category, int image) {
    if (TypeEntry* type = FindType(category)) type->IndexofImage.push_back(image);
}

void CQXSerialization::AddImageToDrive(CString drive, int image) {
    if (DriveEntry* entry = FindDrive(drive)) entry->IndexofImage.push_back(image);
}

bool CQXSerialization::GetCategoryFiles(std::vector<CString>& files, CString category) {
    files.clear();
    CategoryFiles* record = FindCategoryFiles(category);
    if (!record) return false;
    files = record->arFileList;
    return true;
}

bool CQXSerialization::GetCategoryBigFiles(std::vector<CString>& files, CString category) {
    files.clear();
    CategoryFiles* record = FindCategoryFiles(category);
    if (!record) return false;
    files = record->arBigFileList;
    return true;
}

void CQXSerialization::AddFileToDrive(FileNode node) {
    CString drive = SplitPath(node.suszPath).drive + u"\\";
    drive.MakeUpper();
    for (DriveEntry& entry : m_arDrive) {
        if (entry.Drive == drive) {
            entry.arFileList.push_back(std::move(node));
            return;
        }
    }
    DriveEntry entry;
    entry.Drive = drive;
    entry.arFileList.push_back(std::move(node));
    m_arDrive.push_back(std::move(entry));
}

void CQXSerialization::SetTypeList(const std::vector<TypeEntry>& types) {
    m_arType = types;
}

void CQXSerialization::AppendImages(const std::vector<CString>* images) {
    if (!images || !m_serializationData) return;
    for (const CString& image : *images) m_serializationData->simageList.push_back(image);
}

std::vector<CString>* CQXSerialization::GetImageList() {
    return m_serializationData ? &m_serializationData->simageList : nullptr;
}

void CQXSerialization::SetOverLengthMap(const std::map<CString, CString>& map) {
    m_OverLengthFileList = map;
}

void CQXSerialization::SetDebugLogPath(CString path) {
    g_strDebugLogFile = path;
}
