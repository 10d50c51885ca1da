// Environment operations whose objects belong to the user and web-settings
// units: they report -10 (nothing created) until those units provide them.
// The catalog and office operations live in env/language.cpp, the
// time-zone ones in the time-zone units.
#include "env/environment.h"

int CMSioObjApp::ReleaseUser(CS3User* user) { return DeleteUser(&user); }
int CMSioObjApp::NewUser(CS3User** out) {
    if (out) *out = nullptr;
    return -10;
}
int CMSioObjApp::DeleteUser(CS3User** user) {
    if (user && *user == currentUser) currentUser = nullptr;
    if (user) *user = nullptr;
    return 0;
}

int CMSioObjApp::CreatePersonalSettings() { return -10; }
void CMSioObjApp::ReleasePersonalSettings() {}
int CMSioObjApp::CreateModuleSettings() { return -10; }
void CMSioObjApp::ReleaseModuleSettings() {}
int CMSioObjApp::CreateModuleList() { return -10; }
void CMSioObjApp::ReleaseModuleList() {}
int CMSioObjApp::CreateMailSettings() { return -10; }
void CMSioObjApp::ReleaseMailSettings() {}
int CMSioObjApp::CreateMailServer() { return -10; }
void CMSioObjApp::ReleaseMailServer() {}
int CMSioObjApp::CreateImapMail() { return -10; }
void CMSioObjApp::ReleaseImapMail() {}
int CMSioObjApp::CreateGroupList() { return -10; }
void CMSioObjApp::ReleaseGroupList() {}
int CMSioObjApp::GetManager(int, void** out) {
    if (out) *out = nullptr;
    return -10;
}
void CMSioObjApp::ReleaseManagers() {}
int CMSioObjApp::CreateUserSettings() { return -10; }
void CMSioObjApp::ReleaseUserSettings() {}
int CMSioObjApp::CreateNotice() { return -10; }
void CMSioObjApp::ReleaseNotice() {}
int CMSioObjApp::CreateNoticeList() { return -10; }
void CMSioObjApp::ReleaseNoticeList() {}
int CMSioObjApp::CreateNoticeGroup() { return -10; }
void CMSioObjApp::ReleaseNoticeGroup() {}
int CMSioObjApp::CreateWeekHolidays() { return -10; }
void CMSioObjApp::ReleaseWeekHolidays() {}
int CMSioObjApp::CreateHolidays() { return -10; }
void CMSioObjApp::ReleaseHolidays() {}
int CMSioObjApp::CreateHolidayList() { return -10; }
void CMSioObjApp::ReleaseHolidayList() {}
int CMSioObjApp::CreateAccessLists() { return -10; }
void CMSioObjApp::ReleaseAccessLists() {}
int CMSioObjApp::CreateAccessGroups() { return -10; }
int CMSioObjApp::CreateMobileSettings() { return -10; }
void CMSioObjApp::ReleaseMobileSettings() {}

void CMSioObjApp::ReleaseLoginSettings() {}
int CMSioObjApp::CreateLoginSettings() { return -10; }
