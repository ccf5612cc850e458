#include "GLRecorder.h"
#include "SimulationFixture.h"

using namespace opengl_api;

namespace {

using Calls = std::vector<GLCall>;
constexpr auto Begin = GLRecorder::Begin;
constexpr auto End = GLRecorder::End;
constexpr auto Color = GLRecorder::Color;
constexpr auto Vertex = GLRecorder::Vertex;

TPerson PersonAt(double ParaX, double ParaY, std::int32_t ParaSize) {
    TPerson person;
    person.mPositionX = ParaX;
    person.mPositionY = ParaY;
    person.mSize = ParaSize;
    return person;
}

Calls Quad(double ParaX, double ParaY, int ParaSize, const Calls& ParaColours) {
    Calls calls{Begin(GL_QUADS)};
    calls.insert(calls.end(), ParaColours.begin(), ParaColours.end());
    const double s = ParaSize;
    for (const GLCall& vertex :
         {Vertex(float(ParaX - s), float(ParaY - s)), Vertex(float(ParaX + s), float(ParaY - s)),
          Vertex(float(ParaX + s), float(ParaY + s)), Vertex(float(ParaX - s), float(ParaY + s))})
        calls.push_back(vertex);
    calls.push_back(End());
    return calls;
}

} // namespace

class DrawTest : public SimulationTest {
protected:
    GLRecorder mRecorder;
    Calls& Recorded() { return GLRecorder::Calls(); }
};

TEST_F(DrawTest, FieldClearsToBlack) {
    Field->Draw();
    EXPECT_EQ(Recorded(), (Calls{{"glClearColor", {0, 0, 0, 0}}, {"glClear", {0x4000}}}));
}

TEST_F(DrawTest, HealthyPersonIsAWhiteSquare) {
    PersonAt(100.5, 50.25, 4).Draw();
    EXPECT_EQ(Recorded(),
              (Calls{Begin(GL_QUADS), Color(1, 1, 1), Vertex(96.5f, 46.25f), Vertex(104.5f, 46.25f),
                     Vertex(104.5f, 54.25f), Vertex(96.5f, 54.25f), End()}));
}

TEST_F(DrawTest, LivingColoursFollowInfectionAndQuarantine) {
    TPerson person = PersonAt(30, 40, 5);
    person.mInfected = true;
    person.Draw();
    EXPECT_EQ(Recorded(), Quad(30, 40, 5, {Color(1, 1, 1), Color(1, 0, 0)}));
    Recorded().clear();
    person.mInfected = false;
    person.mQuarantined = true;
    person.Draw();
    EXPECT_EQ(Recorded(), Quad(30, 40, 5, {Color(1, 1, 1), Color(0, 0, 1)}));
    Recorded().clear();
    person.mInfected = true; // infected and quarantined ends green
    person.Draw();
    EXPECT_EQ(Recorded(),
              Quad(30, 40, 5, {Color(1, 1, 1), Color(1, 0, 0), Color(0, 0, 1), Color(0, 1, 0)}));
}

TEST_F(DrawTest, VerticesAreSummedInDoubleBeforeNarrowing) {
    // 16777216 + 1 is not a float; the sum must be rounded once, not twice.
    PersonAt(16777216.75, 0.1, 3).Draw();
    const Calls& calls = Recorded();
    ASSERT_EQ(calls.size(), 7u);
    EXPECT_EQ(calls[2], Vertex(static_cast<float>(16777216.75 - 3), static_cast<float>(0.1 - 3)));
    EXPECT_EQ(calls[3], Vertex(static_cast<float>(16777216.75 + 3), static_cast<float>(0.1 - 3)));
}

TEST_F(DrawTest, BodyIsACrossWithTheLongArmDown) {
    TPerson body = PersonAt(10, 20, 3);
    body.mInfected = true;
    body.mQuarantined = true; // plays no part once dead
    body.mDead = true;
    body.Draw();
    EXPECT_EQ(Recorded(), (Calls{Begin(GL_LINES), Color(0.8f, 0.8f, 0.8f), Vertex(7, 20),
                                 Vertex(13, 20), Vertex(10, 17), Vertex(10, 29), End()}));
}

TEST_F(DrawTest, GraveIsOneBrownPointWhateverTheSize) {
    for (const std::int32_t size : {3, 5}) {
        Recorded().clear();
        TPerson grave = PersonAt(12.5, 7, size);
        grave.mDead = true;
        grave.mBuried = true;
        grave.Draw();
        EXPECT_EQ(Recorded(),
                  (Calls{Begin(GL_POINTS), Color(0.53333336f, 0.37647060f, 0.043137256f),
                         Vertex(12.5f, 7), End()}));
    }
}

TEST_F(DrawTest, HumanityDrawsInIndexOrder) {
    SetField(100, 100);
    Humanity = std::make_unique<THumanity>();
    Persons.clear();
    AddPerson(10, 10, 3);
    AddPerson(12, 10, 4, true); // overlaps the first, drawn after it
    Humanity->Draw();
    Calls expected = Quad(10, 10, 3, {Color(1, 1, 1)});
    const Calls second = Quad(12, 10, 4, {Color(1, 1, 1), Color(1, 0, 0)});
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(Recorded(), expected);
}

TEST_F(DrawTest, GameDrawsNothingUntilOver) {
    SetField(792, 673);
    TGame game;
    const std::uint32_t state = RandomState();
    game.Draw();
    EXPECT_TRUE(Recorded().empty());
    EXPECT_EQ(RandomState(), state); // no colour drawn either
}

TEST_F(DrawTest, GameOverQuadCoversTheFieldInARandomColour) {
    SetField(792, 673);
    TGame game;
    game.GameOver();
    SetRandomState(77);
    const std::int32_t red = Random(256), green = Random(256), blue = Random(256);
    SetRandomState(77);
    game.Draw();
    EXPECT_EQ(Recorded(),
              (Calls{Begin(GL_QUADS),
                     Color(float(red / 255.0), float(green / 255.0), float(blue / 255.0)),
                     Vertex(0, 0), Vertex(792, 0), Vertex(792, 673), Vertex(0, 673), End()}));
    // A resize shows in the next frame.
    SetField(300, 200);
    Recorded().clear();
    game.Draw();
    ASSERT_EQ(Recorded().size(), 7u);
    EXPECT_EQ(Recorded()[4], Vertex(300, 200));
}

TEST_F(DrawTest, GameOverColourComponentsSpanZeroToExactlyOne) {
    SetField(10, 10);
    TGame game;
    game.GameOver();
    // States whose next value gives 0 and 255 in a 256 range: 0 gives
    // product 0; 0xFFFFFFFF gives 255.
    const std::uint32_t toZero = 3645876429u * (0u - 1u);         // successor 0
    const std::uint32_t toMax = 3645876429u * (0xFFFFFFFFu - 1u); // successor 0xFFFFFFFF
    SetRandomState(toZero);
    EXPECT_EQ(Random(256), 0);
    SetRandomState(toMax);
    EXPECT_EQ(Random(256), 255);
    SetRandomState(toZero);
    game.Draw();
    ASSERT_EQ(Recorded().size(), 7u);
    EXPECT_EQ(Recorded()[1].args[0], 0.0);
    Recorded().clear();
    SetRandomState(toMax);
    game.Draw();
    ASSERT_EQ(Recorded().size(), 7u);
    EXPECT_EQ(Recorded()[1].args[0], 1.0);
}
