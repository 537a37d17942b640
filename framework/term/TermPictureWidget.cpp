#include "framework/term/TermPictureWidget.h"

namespace {

using finalcut::FColor;

// Windows' 16 standard colours (black, maroon, green, olive, navy, purple, teal, silver, grey,
// red, lime, yellow, blue, fuchsia, aqua, white) as the terminal names them.
const FColor kTerminalColours[16] = {
    FColor::Black,     FColor::Red,          FColor::Green,      FColor::Brown,
    FColor::Blue,      FColor::Magenta,      FColor::Cyan,       FColor::LightGray,
    FColor::DarkGray,  FColor::LightRed,     FColor::LightGreen, FColor::Yellow,
    FColor::LightBlue, FColor::LightMagenta, FColor::LightCyan,  FColor::White,
};

}  // namespace

TermPictureWidget::TermPictureWidget(finalcut::FWidget* parent, const CellPicture& picture)
    : FWidget(parent), m_picture(picture) {
    unsetFocusable();
}

void TermPictureWidget::draw() {
    const FColor background =
        getParentWidget() ? getParentWidget()->getBackgroundColor() : getBackgroundColor();
    const auto pixel = [this](int x, int y) {
        return m_picture.pixels ? m_picture.pixels[y * m_picture.columns + x] : -1;
    };
    const int columns = std::min(m_picture.columns, static_cast<int>(getWidth()));
    const int rows = std::min(m_picture.rows, static_cast<int>(getHeight()));
    for (int row = 0; row < rows; ++row) {
        print() << finalcut::FPoint{1, row + 1};
        for (int column = 0; column < columns; ++column) {
            const int upper = pixel(column, 2 * row);
            const int lower = pixel(column, 2 * row + 1);
            // The upper half in the foreground colour, the lower one in the background colour; a
            // transparent half takes the dialog's background.
            const FColor upperColour = upper < 0 ? background : kTerminalColours[upper & 15];
            const FColor lowerColour = lower < 0 ? background : kTerminalColours[lower & 15];
            wchar_t shape = L'\u2580';  // ▀
            if (upper < 0 && lower < 0) {
                shape = L' ';
            } else if (upper < 0) {
                shape = L'\u2584';  // ▄ in the lower half's colour
            } else if (upper == lower) {
                shape = L'\u2588';  // █
            }
            if (shape == L'\u2584')
                print() << finalcut::FColorPair{lowerColour, background} << shape;
            else
                print() << finalcut::FColorPair{upperColour, lowerColour} << shape;
        }
    }
}
