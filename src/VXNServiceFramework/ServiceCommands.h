#pragma once

#include <QStringList>

class Service;

// The command names of a service's handler table, in name order. The table is filled in the
// service's constructor and never changes afterwards, so it can be read without its lock.
QStringList serviceCommands(const Service& service);
