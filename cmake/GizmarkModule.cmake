# the Gizmark plug-in module; filled by its owner
