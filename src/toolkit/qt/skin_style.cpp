#include "toolkit/qt/skin_style.h"

#include <QDir>
#include <QStringView>

namespace vexel::toolkit::qt {
namespace {

// A plain scan rather than a regular expression: compiling one at start-up
// pulled half a megabyte of the PCRE2 library into memory.
bool IsRelative(QStringView target) {
  if (target.startsWith(u'/') || target.startsWith(u':')) return false;
  qsizetype letters = 0;
  while (letters < target.size() && target[letters] >= u'a' && target[letters] <= u'z') ++letters;
  const bool scheme = letters > 0 && letters < target.size() && target[letters] == u':';
  return !scheme;
}

}  // namespace

QString AbsoluteUrls(const QString& text, const QString& resource_folder) {
  static constexpr QStringView kUrl = u"url(";
  const QString absolute = QDir(resource_folder).absolutePath() + u'/';
  const QStringView view(text);
  QString result;
  result.reserve(text.size());
  qsizetype copied = 0;
  for (qsizetype at = view.indexOf(kUrl); at >= 0; at = view.indexOf(kUrl, copied)) {
    const qsizetype target = at + kUrl.size();
    result += view.sliced(copied, target - copied);
    if (IsRelative(view.sliced(target))) result += absolute;
    copied = target;
  }
  result += view.sliced(copied);
  return result;
}

}  // namespace vexel::toolkit::qt
