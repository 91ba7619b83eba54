#pragma once
// What the operator may do in this run: the access level the password prompt granted at
// start-up (0 basic, 1 full), and the password-change mode between confirming a new password
// and storing it. It belongs to the operator, not to any device's data.

struct OperatorAccess {
    int level = 0;
    int passwordChange = 0;
};
