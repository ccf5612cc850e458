#include "shell/Unit_TProgram.h"

#include "../simulation/GLRecorder.h"

#include "simulation/Unit_Random.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_TGame.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"

#include <gtest/gtest.h>

namespace {

class ProgramDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetRandomState(5);
        PopulationSize = 3;
        ProgramCreate();
        ProgramResize(200, 100);
    }
    void TearDown() override {
        ProgramDestroy();
        PopulationSize = 100;
    }
};

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const GLCall& call : GLRecorder::Calls())
        names.push_back(call.name);
    return names;
}

} // namespace

TEST_F(ProgramDrawTest, FrameIsFieldThenPersonsThenOverlay) {
    GLRecorder recorder;
    Persons[1]->mDead = true;
    Persons[2]->mDead = true;
    Persons[2]->mBuried = true;
    ProgramDraw();
    const std::vector<std::string> person{"glBegin",    "glColor3f",  "glVertex2f", "glVertex2f",
                                          "glVertex2f", "glVertex2f", "glEnd"};
    const std::vector<std::string> grave{"glBegin", "glColor3f", "glVertex2f", "glEnd"};
    std::vector<std::string> expected{"glClearColor", "glClear"};
    for (const auto* part : {&person, &person, &grave})
        expected.insert(expected.end(), part->begin(), part->end());
    EXPECT_EQ(Names(), expected);

    Game->GameOver();
    GLRecorder::Calls().clear();
    ProgramDraw();
    expected.insert(expected.end(), person.begin(), person.end()); // the overlay comes last
    EXPECT_EQ(Names(), expected);
    EXPECT_EQ(GLRecorder::Calls().back(), GLRecorder::End());
    EXPECT_EQ(GLRecorder::Calls()[GLRecorder::Calls().size() - 3], GLRecorder::Vertex(200, 100));
}

TEST_F(ProgramDrawTest, NothingIsDrawnWithoutObjectsOrEntryPoints) {
    {
        GLRecorder recorder;
        ProgramDestroy();
        ProgramDraw();
        EXPECT_TRUE(GLRecorder::Calls().empty());
        ProgramCreate();
    }
    // Entry points that were never bound: no call through null.
    GLRecorder recorder;
    const auto begin = opengl_api::glBegin;
    opengl_api::glBegin = nullptr;
    ProgramDraw();
    EXPECT_TRUE(GLRecorder::Calls().empty());
    opengl_api::glBegin = begin;
    ProgramDraw();
    EXPECT_FALSE(GLRecorder::Calls().empty());
}
