// The playing field: the size of the drawing area in pixels, origin at the
// top-left corner, x to the right, y downwards.
#pragma once

#include <cstdint>
#include <memory>

class TField {
public:
    std::int32_t Width() const { return mWidth; }
    void SetWidth(std::int32_t ParaWidth) { mWidth = ParaWidth; }
    std::int32_t Height() const { return mHeight; }
    void SetHeight(std::int32_t ParaHeight) { mHeight = ParaHeight; }
    bool Initialized() const { return mInitialized; }
    void SetInitialized(bool ParaInitialized) { mInitialized = ParaInitialized; }

    // Clears the picture to black.
    void Draw() const;

private:
    std::int32_t mWidth = 0;
    std::int32_t mHeight = 0;
    bool mInitialized = false;
};

extern std::unique_ptr<TField> Field;
