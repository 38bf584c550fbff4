// The text of a skin's style sheet as Qt is given it.
#pragma once

#include <QString>

namespace vexel::toolkit::qt {

// Style sheets name images relative to the resource folder ("url(skins/x.svg)");
// Qt would read them from the working folder. Absolute paths ("url(/x)"),
// resources ("url(:/x)") and schemes ("url(file:x)") stay as they are.
QString AbsoluteUrls(const QString& text, const QString& resource_folder);

}  // namespace vexel::toolkit::qt
