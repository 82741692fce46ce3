#pragma once

class RPControlCenterModule;
class RPScreenRecorder;
