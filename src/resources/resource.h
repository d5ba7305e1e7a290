/* Resource ids of the chat module: dialog templates, controls, menus, bitmap, cursor and
 * strings. The resource libraries and this module must agree on every number, so the list is
 * kept once, with the library that provides the resources. */
#ifndef QXCHAT_RESOURCES_RESOURCE_H
#define QXCHAT_RESOURCES_RESOURCE_H

#include "qxres.h"

#endif
