#include "app/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

QIcon ProgramIcon()
{
    // The resources live in a static library: nothing else would pull them in.
    Q_INIT_RESOURCE(program);
    QSvgRenderer renderer(QStringLiteral(":/farovinter.svg"));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 33, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
