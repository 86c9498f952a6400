// The big files of a catalog: cut into pieces before a capture, rebuilt from
// them after a restore.
#pragma once

#include "catalog/serialization.h"

class RunJournal;

// Cuts node's file into pieces of pieceSize bytes beside it and lists them in
// the node. Each piece is entered in journal, when given, before it is made.
int SplitBigFile(ULONGLONG pieceSize, FileNode& node, RunJournal* journal = nullptr);
// 1 when every big file of image whose pieces lie below target was rebuilt, else 0.
int RestoreBigFiles(CQXSerialization& catalog, CString target, CString drive, int image);
void DeleteRestoredPieces(const CQXSerialization& catalog, CString target, CString drive, int image);
int MergeBigFile(CQXSerialization& catalog, FileNode* node);
int DeleteSplitFiles(const FileNode* node);
int DeleteAllSplitFiles(const CQXSerialization& catalog);
