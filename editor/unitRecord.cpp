#include "unitRecord.h"

#include "Forms.h"
#include "SysUtils.h"

const char kSeparatorCaption[] = "━━━━━━━━";

bool FieldTakes(menufile::NameLineField field, const std::string& path, const std::string& what, const char* outcome) {
  if (menufile::IsWritable(path, field)) return true;
  // As the property panel names its fields.
  static const char* const kFieldNames[] = {"項目名", "アイコンのファイル", "作業フォルダ"};
  gui::Application->MessageBox(what + "には、" + kFieldNames[int(field)] + "に使えない記号（" +
                                   gui::ListedChars(menufile::UnwritableChars(field)) + "）があるため、" + outcome,
                               "警告", MB_ICONSTOP | MB_OK);
  return false;
}
