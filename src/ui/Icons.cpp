#include "Icons.h"

#include "Commands.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// All drawing is on a 16 by 16 grid, scaled to the requested size.
const QColor kInk(60, 60, 70);
const QColor kFolder(236, 190, 80);
const QColor kPaper(250, 250, 245);
const QColor kGreen(40, 150, 60);
const QColor kRed(200, 50, 40);
const QColor kBlue(50, 100, 190);
const QColor kCopper(200, 110, 50);

void folder(QPainter& p) {
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(kFolder);
    QPainterPath path;
    path.moveTo(1, 4);
    path.lineTo(6, 4);
    path.lineTo(7, 5.5);
    path.lineTo(14, 5.5);
    path.lineTo(14, 13);
    path.lineTo(1, 13);
    path.closeSubpath();
    p.drawPath(path);
}

void page(QPainter& p) {
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3, 1.5, 9, 12.5));
    p.setPen(QPen(kInk.lighter(160), 0.8));
    for (double y = 4.5; y < 13; y += 2.5)
        p.drawLine(QPointF(5, y), QPointF(10, y));
}

void plus(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QRectF(9, 9, 7, 7));
    p.setPen(QPen(Qt::white, 1.4));
    p.drawLine(QPointF(12.5, 10.5), QPointF(12.5, 14.5));
    p.drawLine(QPointF(10.5, 12.5), QPointF(14.5, 12.5));
}

void cross(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(QRectF(9, 9, 7, 7));
    p.setPen(QPen(Qt::white, 1.4));
    p.drawLine(QPointF(11, 11), QPointF(14, 14));
    p.drawLine(QPointF(14, 11), QPointF(11, 14));
}

void pencil(QPainter& p) {
    p.setPen(QPen(kInk, 0.6));
    p.setBrush(QColor(240, 200, 60));
    QPolygonF body;
    body << QPointF(15, 8) << QPointF(16, 9) << QPointF(10, 15) << QPointF(8.5, 15.5)
         << QPointF(9, 14);
    p.drawPolygon(body);
}

void magnifier(QPainter& p, const QColor& lens = kPaper) {
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(lens);
    p.drawEllipse(QRectF(2, 2, 8, 8));
    p.setPen(QPen(kInk, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
}

void printer(QPainter& p) {
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 1.5, 8, 5));
    p.setBrush(QColor(150, 150, 160));
    p.drawRoundedRect(QRectF(1.5, 6, 13, 6), 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 10, 8, 4.5));
}

void door(QPainter& p) {
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(QColor(160, 110, 70));
    p.drawRect(QRectF(2, 1.5, 8, 13));
    p.setPen(QPen(kRed, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(12, 5.5), QPointF(14.5, 8));
    p.drawLine(QPointF(12, 10.5), QPointF(14.5, 8));
}

void info(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(7, 3.5, 2, 2));
    p.drawRect(QRectF(7, 7, 2, 5.5));
}

void pot(QPainter& p) {
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(kCopper);
    p.drawRoundedRect(QRectF(2.5, 6, 11, 8), 2, 2);
    p.drawLine(QPointF(0.5, 7.5), QPointF(2.5, 7.5));
    p.drawLine(QPointF(13.5, 7.5), QPointF(15.5, 7.5));
    p.setBrush(QColor(120, 120, 130));
    p.drawRect(QRectF(2, 4.5, 12, 1.5));
    p.setPen(QPen(QColor(150, 150, 160), 0.8));
    p.drawLine(QPointF(6, 3.5), QPointF(6, 1));
    p.drawLine(QPointF(10, 3.5), QPointF(10, 1));
}

void basket(QPainter& p) {
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 1.5, 8, 9), 0, 180 * 16);
    p.setBrush(QColor(190, 140, 70));
    QPolygonF body;
    body << QPointF(1.5, 6) << QPointF(14.5, 6) << QPointF(12.5, 14.5) << QPointF(3.5, 14.5);
    p.drawPolygon(body);
    p.setBrush(kGreen);
    p.drawEllipse(QRectF(4.5, 3.5, 3.5, 3.5));
    p.setBrush(kRed);
    p.drawEllipse(QRectF(8, 3.5, 3.5, 3.5));
}

void jar(QPainter& p) {
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(QColor(190, 220, 240));
    p.drawRoundedRect(QRectF(3, 4, 10, 11), 2, 2);
    p.setBrush(kRed);
    p.drawRect(QRectF(4, 1.5, 8, 2.5));
    p.setBrush(kPaper);
    p.drawRect(QRectF(5, 7.5, 6, 4));
}

void list(QPainter& p) {
    page(p);
    p.setPen(Qt::NoPen);
    p.setBrush(kCopper);
    for (double y = 3.8; y < 13; y += 2.5)
        p.drawEllipse(QRectF(3.8, y, 1.4, 1.4));
}

void tick(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QRectF(9, 9, 7, 7));
    p.setPen(QPen(Qt::white, 1.4));
    p.drawLine(QPointF(10.5, 12.5), QPointF(12, 14));
    p.drawLine(QPointF(12, 14), QPointF(14.5, 10.8));
}

void treeMark(QPainter& p) {
    p.setPen(QPen(kFolder.darker(140), 1.2));
    p.drawLine(QPointF(11, 9), QPointF(11, 15));
    p.drawLine(QPointF(11, 12), QPointF(15, 12));
    p.drawLine(QPointF(11, 15), QPointF(15, 15));
}

void drawCommand(QPainter& p, int id) {
    switch (id) {
    case ID_APP_EXIT:
        door(p);
        break;
    case ID_PRINT_RECIPE:
        printer(p);
        break;
    case ID_ADD_SECTION:
        folder(p);
        plus(p);
        break;
    case ID_ADD_SUBSECTION:
        folder(p);
        treeMark(p);
        plus(p);
        break;
    case ID_RENAME_SECTION:
        folder(p);
        pencil(p);
        break;
    case ID_DELETE_SECTION:
        folder(p);
        cross(p);
        break;
    case ID_ADD_RECIPE:
    case ID_ADD_RECIPE_ROOT:
        page(p);
        plus(p);
        break;
    case ID_EDIT_RECIPE:
        page(p);
        pencil(p);
        break;
    case ID_DELETE_RECIPE:
        page(p);
        cross(p);
        break;
    case ID_FIND_RECIPE:
        magnifier(p);
        break;
    case ID_FIND_BY_PRODUCT:
        magnifier(p, QColor(250, 220, 150));
        break;
    case ID_LOCATE_IN_CATALOG:
        magnifier(p);
        treeMark(p);
        break;
    case ID_WHAT_TO_COOK:
        pot(p);
        break;
    case ID_WHAT_IS_MISSING:
        pot(p);
        plus(p);
        break;
    case ID_COOK: {
        // The pot, and the sign of going: cooking from the recipe, step by step.
        pot(p);
        p.setPen(QPen(kInk, 0.6));
        p.setBrush(kGreen);
        QPolygonF go;
        go << QPointF(9, 8) << QPointF(15.5, 11.75) << QPointF(9, 15.5);
        p.drawPolygon(go);
        break;
    }
    case ID_SHOPPING_LIST:
        basket(p);
        tick(p);
        break;
    case ID_PRODUCTS_ON_HAND:
        basket(p);
        break;
    case ID_PRODUCTS_ALWAYS:
        jar(p);
        break;
    case ID_MENU_VIEW:
        list(p);
        break;
    case ID_MENU_ADD:
        list(p);
        plus(p);
        break;
    case ID_MENU_PRODUCT_LIST:
        list(p);
        tick(p);
        break;
    case ID_APP_ABOUT:
    case ID_HELP_FINDER:
        info(p);
        break;
    case ID_TRASH:
    case ID_UNDO_DELETE: {
        // A bin with its lid; undoing has the arrow of coming back.
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        QPolygonF bin;
        bin << QPointF(4, 5) << QPointF(12, 5) << QPointF(11, 14.5) << QPointF(5, 14.5);
        p.drawPolygon(bin);
        p.drawLine(QPointF(2.5, 4), QPointF(13.5, 4));
        p.drawLine(QPointF(6.5, 4), QPointF(7, 2.5));
        p.drawLine(QPointF(7, 2.5), QPointF(9, 2.5));
        p.drawLine(QPointF(9, 2.5), QPointF(9.5, 4));
        p.drawLine(QPointF(6.5, 7), QPointF(6.8, 12.5));
        p.drawLine(QPointF(9.5, 7), QPointF(9.2, 12.5));
        if (id == ID_UNDO_DELETE) {
            p.setPen(QPen(kBlue, 1.8, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(8, 10), QPointF(14, 10));
            p.drawLine(QPointF(8, 10), QPointF(10.5, 7.5));
            p.drawLine(QPointF(8, 10), QPointF(10.5, 12.5));
        }
        break;
    }
    case ID_IMPORT:
    case ID_EXPORT_SECTION:
    case ID_EXPORT_ALL:
        page(p);
        p.setPen(QPen(kBlue, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 9), QPointF(15, 9));
        p.drawLine(QPointF(id == ID_IMPORT ? 8 : 15, 9),
                   QPointF(id == ID_IMPORT ? 10.5 : 12.5, 6.5));
        break;
    default:
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(2, 2, 12, 12), 2, 2);
        break;
    }
}

} // namespace

QPixmap drawnCommandPixmap(int id, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    drawCommand(p, id);
    return pixmap;
}

QIcon commandIcon(int id) {
    QIcon drawn;
    for (int size : {16, 24, 32, 48})
        drawn.addPixmap(drawnCommandPixmap(id, size));
    const CommandInfo* info = findCommand(id);
    if (info && info->themeIcon && QIcon::hasThemeIcon(QLatin1String(info->themeIcon)))
        return QIcon::fromTheme(QLatin1String(info->themeIcon), drawn);
    return drawn;
}

QPixmap applicationPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // A warm tile, an open book, and a pot with steam above it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 96, 48));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setBrush(kPaper);
    QPainterPath book;
    book.moveTo(8, 40);
    book.cubicTo(18, 36, 26, 38, 32, 44);
    book.cubicTo(38, 38, 46, 36, 56, 40);
    book.lineTo(56, 56);
    book.cubicTo(46, 52, 38, 54, 32, 58);
    book.cubicTo(26, 54, 18, 52, 8, 56);
    book.closeSubpath();
    p.drawPath(book);
    p.setPen(QPen(QColor(150, 80, 40), 1.5));
    p.drawLine(QPointF(32, 44), QPointF(32, 58));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 70));
    p.drawRoundedRect(QRectF(18, 20, 28, 18), 5, 5);
    p.drawRect(QRectF(12, 23, 6, 3));
    p.drawRect(QRectF(46, 23, 6, 3));
    p.setBrush(QColor(120, 120, 130));
    p.drawRect(QRectF(16, 17, 32, 4));
    p.setPen(QPen(kPaper, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int x : {25, 32, 39}) {
        QPainterPath steam;
        steam.moveTo(x, 14);
        steam.cubicTo(x - 3, 11, x + 3, 9, x, 6);
        p.drawPath(steam);
    }
    return pixmap;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(applicationPixmap(size));
    return icon;
}
