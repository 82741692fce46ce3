#pragma once

class RPControlCenterModule;
class RPScreenRecorder;
struct ScreenFrame;
