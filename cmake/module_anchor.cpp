// The plug-in module is made of the core library whole; nothing lives here.
