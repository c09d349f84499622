// The result codes of "FTP4W32.DLL": 0 is success.
#pragma once

#define FTP4W_OK 0
#define FTP4W_CANCELLED (-1)             // FtpAbort ended the operation
#define FTP4W_ACCOUNTNEEDED 2            // the server asks for an account (332)
#define FTP4W_INVALIDPARAMETER 1000      // null, over-long, or holding CR / LF
#define FTP4W_SESSIONUSED 1001           // a session is already open
#define FTP4W_NOTCONNECTED 1003          // no session open
#define FTP4W_CANTOPENFILE 1004          // the local file could not be opened or made
#define FTP4W_CANTWRITE 1005             // writing the local file failed
#define FTP4W_SERVERCANTEXECUTE 1008     // the server refused the command (4xx / 5xx)
#define FTP4W_LOGINREFUSED 1009          // user or password refused
#define FTP4W_NOREMOTEFILE 1010          // the remote file does not exist or cannot be read
#define FTP4W_TRANSFERREFUSED 1011       // the server refused or broke off the transfer
#define FTP4W_UNKNOWNHOST 2001           // the host name does not resolve
#define FTP4W_NOREPLY 2002               // the server closed the connection
#define FTP4W_CANTCONNECT 2003           // nothing answers at the host and port
#define FTP4W_CONNECTREJECTED 2004       // the server does not serve us (421, no 220)
#define FTP4W_SENDREFUSED 2005           // sending on the control connection failed
#define FTP4W_DATACONNECTION 2006        // the data connection failed
#define FTP4W_TIMEOUT 2007               // the server stayed silent past the time-out
#define FTP4W_UNEXPECTEDANSWER 3001      // a reply the protocol does not allow here
#define FTP4W_CANNOTCHANGETYPE 3002      // TYPE refused
#define FTP4W_CANTCREATESOCKET 5004      // no socket could be made

