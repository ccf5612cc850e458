// The level logic: once an outbreak has run out, the next level starts if
// anybody healthy is left, else the game is over for good.
#pragma once

#include <memory>

class TGame {
public:
    bool mOver = false;

    // Runs last in every cycle.
    void Think();
    void NextLevel();
    void GameOver() { mOver = true; }
    // Once the game is over, covers the field in a new random colour each frame.
    void Draw() const;
};

extern std::unique_ptr<TGame> Game;
