// The catalog root and its serialized part.
#pragma once

#include <map>
#include <vector>

#include "catalog/records.h"

class CArchive;

// The serialized part that the root owns.
class CQXSerializeObject {
public:
    virtual ~CQXSerializeObject() = default;
    virtual void Serialize(CArchive&) {}

    std::vector<DriveEntry>* arDriveList = nullptr; // the root's m_arDrive
    std::vector<TypeEntry>* arTypeList = nullptr;   // the root's m_arType
    std::vector<CString> simageList;                // image file and part paths, in backup order
};

class CQXSerialization {
public:
    CQXSerialization();
    virtual ~CQXSerialization();
    CQXSerialization(const CQXSerialization&) = delete;
    CQXSerialization& operator=(const CQXSerialization&) = delete;

    // The body of the catalog file (everything after signature and time).
    virtual void Serialize(CArchive& ar);

    void Clear();
    CategoryFiles* FindCategoryFiles(CString category);
    TypeEntry* FindType(CString category);
    DriveEntry* FindDrive(CString drive);
    void AddImageToType(CString category, int image);
    void AddImageToDrive(CString drive, int image);
    bool GetCategoryFiles(std::vector<CString>& files, CString category);
    bool GetCategoryBigFiles(std::vector<CString>& files, CString category);
    void AddFileToDrive(FileNode node);
    void SetTypeList(const std::vector<TypeEntry>& types);
    void AppendImages(const std::vector<CString>* images);
    std::vector<CString>* GetImageList();
    std::vector<TypeEntry>& GetTypeList() { return m_arType; }
    std::vector<DriveEntry>& GetDriveList() { return m_arDrive; }
    std::map<CString, CString> GetOverLengthMap() const { return m_OverLengthFileList; }
    void SetOverLengthMap(const std::map<CString, CString>& map);
    void SetDebugLogPath(CString path);

    // "Tarvolen.fbu" in folder (a trailing backslash is optional).
    // Save replaces an existing catalog (read-only or not) and leaves the new one
    // read-only and hidden, its last-write time equal to the stored time.
    // False when the old file cannot be deleted or the new one cannot be created
    // (the latter shown in a message box); also false after a write or file error,
    // which posts -244 and removes the incomplete file.
    bool Save(CString folder);
    // Appends the stored catalog to this (fresh) object.
    // False when the file cannot be opened (shown in a message box, nothing posted).
    // A wrong signature posts -243 and returns true with nothing read.
    // A damaged file (truncated, a length or count that cannot fit in the file,
    // any read error) posts -243, leaves the object reset (as freshly constructed)
    // and returns false: callers treat it as a catalog that cannot be opened.
    bool Load(CString folder);

    // Clear, and also the over-length map and both sizes.
    void Reset();

    CQXSerializeObject* m_serializationData = nullptr;
    std::vector<DriveEntry> m_arDrive;
    std::vector<CategoryFiles> m_arCategoryFiles;
    std::vector<FileNode> m_arBigFile;
    std::vector<TypeEntry> m_arType;
    std::map<CString, CString> m_OverLengthFileList; // ordered by UTF-16 code units
    ULONGLONG m_bigFileTotalSize = 0;
    ULONGLONG m_bigFileDoneSize = 0;
};
