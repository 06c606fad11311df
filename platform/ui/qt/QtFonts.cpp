#include "platform/ui/qt/QtFonts.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace vardel {

QFont DesktopFont(const std::string& name, int height) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (name != "MS Sans Serif") font.setFamily(QString::fromStdString(name));
    font.setStyleHint(QFont::SansSerif);
    if (height < 0) {
        font.setPixelSize(-height);
    } else if (height > 0) {
        // The cell height includes the internal leading: shrink the character height
        // until the line fits.
        int size = height;
        font.setPixelSize(size);
        while (size > 1 && QFontMetrics(font).height() > height) font.setPixelSize(--size);
    }
    return font;
}

}  // namespace vardel
