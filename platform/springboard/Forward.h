#pragma once

// SpringBoard's private classes and the host, for headers that only name them.

class BBAction;
class BBBulletin;
class BBServer;
class BannerCenter;
class ControlCenter;
class ControlCenterModule;
class HomeScreen;
class NCNotificationDispatcher;
class NCNotificationRequest;
class NoticeCenter;
class SettingsAppHost;
class SettingsRootListController;
class SpringBoard;
class SpringBoardHost;
class StatusBar;
class SystemWindow;
struct Notice;
