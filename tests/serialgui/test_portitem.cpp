#include "serial/unitzvcommdevicesettingsportitem.h"

#include "dialogfixture.h"

#include <QImage>
#include <QPainter>
#include <QStringListModel>

namespace dialogtest {
namespace {

using PelmComm::TPortItemDelegate;

class PortItemTest : public ::testing::Test {
protected:
    // Draws row `row` of the list into a fresh image and returns it.
    QImage Draw(int row, bool selected)
    {
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, kWidth, kHeight);
        option.font = QFont("Tahoma", 8);
        option.fontMetrics = QFontMetrics(option.font);
        option.state = selected ? QStyle::State_Selected : QStyle::State_None;
        option.palette.setColor(QPalette::Base, Qt::white);
        option.palette.setColor(QPalette::Text, Qt::black);
        option.palette.setColor(QPalette::Highlight, QColor(0, 0, 200));
        option.palette.setColor(QPalette::HighlightedText, QColor(255, 255, 100));
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::green);
        QPainter painter(&image);
        delegate.paint(&painter, option, model.index(row));
        return image;
    }

    static int DividerAt(const QString &name)
    {
        return 2 + std::max(QFontMetrics(QFont("Tahoma", 8)).horizontalAdvance(name), TPortItemDelegate::MinNameWidth) + 1;
    }

    static bool AnyInk(const QImage &image, int fromX, QColor background)
    {
        for (int x = fromX; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixelColor(x, y) != background)
                    return true;
        return false;
    }

    static constexpr int kWidth = 322;
    static constexpr int kHeight = 16;
    PelmComm::TCommSerialPortInfo ports{std::make_unique<FixedPorts>()};
    // One entry more than the port list holds.
    QStringListModel model{{"COM1", "/dev/ttyUSB0", "/dev/extra"}};
    TPortItemDelegate delegate{ports.PortList, kHeight, nullptr};
};

TEST_F(PortItemTest, DescriptionSitsRightOfADividerAfterTheName)
{
    ASSERT_EQ(ports.PortList.PortName(1), "/dev/ttyUSB0");
    const QImage shortName = Draw(0, false);
    const int x0 = DividerAt("COM1");
    EXPECT_EQ(x0, 2 + 55 + 1);
    for (int y = 0; y < kHeight; ++y)
        EXPECT_EQ(shortName.pixelColor(x0, y), QColor(127, 127, 127)) << y;
    EXPECT_FALSE(AnyInk(shortName, x0 + 1, Qt::white)); // COM1 has no description

    const QImage longName = Draw(1, true);
    const int x1 = DividerAt("/dev/ttyUSB0");
    EXPECT_GT(x1, x0);
    for (int y = 0; y < kHeight; ++y)
        EXPECT_EQ(longName.pixelColor(x1, y), QColor(127, 127, 150)) << y;
    EXPECT_TRUE(AnyInk(longName, x1 + 3, QColor(0, 0, 200)));
    EXPECT_FALSE(AnyInk(longName.copy(x1 + 1, 0, 2, kHeight), 0, QColor(0, 0, 200)));
    EXPECT_EQ(longName.pixelColor(0, 0), QColor(0, 0, 200));

    const QImage unlisted = Draw(2, false);
    EXPECT_FALSE(AnyInk(unlisted, DividerAt("/dev/extra") + 1, Qt::white));
}

TEST_F(PortItemTest, EveryEntryHasTheGivenHeight)
{
    QStyleOptionViewItem option;
    EXPECT_EQ(delegate.sizeHint(option, model.index(0)).height(), kHeight);
}

} // namespace
} // namespace dialogtest
