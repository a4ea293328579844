// Resource ids of Vantor.dll.
#pragma once

#define IDS_PROJNAME 100
#define IDR_VANTOR_REGISTRY 101
#define IDB_ISINSTALLED 201
