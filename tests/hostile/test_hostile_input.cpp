// Names, messages, settings and files an attacker or an accident may hand the plug-in.
