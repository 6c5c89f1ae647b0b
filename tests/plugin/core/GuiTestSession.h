// The editor session shared by the tests of one process, and the module under test.
#pragma once

class CEditorSession;
class Interface;

CEditorSession& TestSession();
int TestAssertCount();

// The module, opened once (it stays mapped) with its two exports.
struct GizmarkModule {
    int (*load)(Interface*, int) = nullptr;
    void (*unload)(Interface*) = nullptr;
};
const GizmarkModule& TestModule();
