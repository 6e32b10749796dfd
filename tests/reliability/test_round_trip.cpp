// Every kind of message a mailbox may hold comes back from the archive byte for byte.
