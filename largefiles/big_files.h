// The big files of a catalog: cut into pieces before a capture, rebuilt from
// them after a restore.
#pragma once

#include "catalog/serialization.h"

class RunJournal;

// Cuts node's file into pieces of pieceSize bytes beside it and lists them in
// the node. Each piece is entered in journal, when given, before it is made.
void SplitBigFile(ULONGLONG pieceSize, FileNode& node, RunJournal* journal = nullptr);
// The big files of image, the image of drive and category: the nodes that
// name it, and the nodes of that drive and category that name no image (the
// earlier system stored every node so).
// True when every big file of image whose pieces lie below target was rebuilt.
bool RestoreBigFiles(CQXSerialization& catalog, CString target, CString drive, const CString& category, int image);
void DeleteRestoredPieces(const CQXSerialization& catalog, CString target, CString drive, const CString& category,
                          int image);
// Rebuilds one big file from its pieces, which stay; false when it lists none.
bool MergeBigFile(CQXSerialization& catalog, FileNode* node);
// Deletes the pieces a node lists; false when it lists none.
bool DeleteSplitFiles(const FileNode* node);
void DeleteAllSplitFiles(const CQXSerialization& catalog);
