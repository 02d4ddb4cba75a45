// Resource identifiers: dialogs, controls, pictures and strings.
#pragma once
