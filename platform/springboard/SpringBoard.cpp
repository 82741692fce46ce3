#include "platform/springboard/SpringBoard.h"

MARQEL_DEFINE_CLASS(SpringBoard,
    method<&SpringBoard::applicationDidFinishLaunching>("applicationDidFinishLaunching:"))

void SpringBoard::applicationDidFinishLaunching(id) { m_finished = true; }
