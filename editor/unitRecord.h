// The item record: the fields of one menu entry, carried by the tree node
// that shows the entry.
#pragma once

#include "Classes.h"
#include "TreeView.h"
#include "MenuFile.h"

// The caption every separator shows.
extern const char kSeparatorCaption[];

// A plain record: the document, the commands and the panel read and write
// its fields directly. A new record is an item with every text empty, icon 0
// and the normal window state.
class TRecord : public gui::TObject, public menufile::Entry {
 public:
  TRecord() = default;
};

// The record a node carries; null for a node without one.
inline TRecord* RecordOf(const gui::TTreeNode* node) {
  return node ? static_cast<TRecord*>(node->Data()) : nullptr;
}

// Whether a record's field can take the path, which the menu file would
// otherwise read back as another (see menufile::IsWritable). When it cannot,
// a message says why: `what` names the path ("フォルダ「C:\[old]」"), and
// `outcome` what becomes of it ("取り込めません。", "選べません。").
bool FieldTakes(menufile::NameLineField field, const std::string& path, const std::string& what, const char* outcome);
