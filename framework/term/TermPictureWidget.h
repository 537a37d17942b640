// A static icon control in the terminal: the picture it stands for, in cells (CellPicture.h).
#pragma once

#include <final/final.h>

#include "framework/term/CellPicture.h"

class TermPictureWidget final : public finalcut::FWidget {
public:
    TermPictureWidget(finalcut::FWidget* parent, const CellPicture& picture);

private:
    void draw() override;

    CellPicture m_picture;
};
