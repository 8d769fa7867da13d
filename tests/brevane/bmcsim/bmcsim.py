#!/usr/bin/env python3
"""A small Redfish BMC for tests: serves a DMTF mockup over HTTPS.

GET answers the mockup's index.json of the path (the service root and
/redfish without credentials, everything else with HTTP Basic credentials).
PATCH is accepted on the settings objects that the mockup's Bios resources
name in @Redfish.Settings: the body is checked like a BMC would (attribute
names known, value types matching), recorded as one JSON line
{"path": ..., "body": ...} in the record file and applied to the pending
settings, so a later GET of the settings object shows it.
"""
import argparse
import base64
import glob
import json
import os
import ssl
import sys
from http.server import BaseHTTPRequestHandler, HTTPServer

PREFIX = "/redfish/v1"


def error_body(message_id, message):
    return {"error": {"code": "Base.1.15.0." + message_id, "message": message,
                      "@Message.ExtendedInfo": [{"MessageId": "Base.1.15.0." + message_id,
                                                 "Message": message}]}}


class Mockup:
    def __init__(self, root):
        self.root = os.path.abspath(root)
        self.overrides = {}
        # settings object path -> path of the Bios resource it belongs to
        self.settings = {}
        for bios_file in glob.glob(os.path.join(self.root, "Systems", "*", "Bios", "index.json")):
            with open(bios_file) as f:
                bios = json.load(f)
            target = bios.get("@Redfish.Settings", {}).get("SettingsObject", {}).get("@odata.id")
            if target:
                self.settings[target.rstrip("/")] = bios["@odata.id"].rstrip("/")

    def get(self, path):
        path = path.rstrip("/") or "/"
        if path in self.overrides:
            return self.overrides[path]
        if path == "/redfish":
            return {"v1": PREFIX + "/"}
        if path != PREFIX and not path.startswith(PREFIX + "/"):
            return None
        rel = path[len(PREFIX):].strip("/")
        if any(part in ("..", ".") for part in rel.split("/")):
            return None
        file = os.path.join(self.root, rel, "index.json")
        if not os.path.isfile(file):
            return None
        with open(file) as f:
            return json.load(f)


class Handler(BaseHTTPRequestHandler):
    server_version = "bmcsim"
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        pass

    def reply(self, status, body=None, headers=()):
        data = b"" if body is None else json.dumps(body).encode()
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        if body is not None:
            self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def path_only(self):
        return self.path.split("?", 1)[0]

    def authorized(self):
        path = self.path_only().rstrip("/")
        if path in ("/redfish", PREFIX):
            return True
        expected = base64.b64encode(
            (self.server.user + ":" + self.server.password).encode()).decode()
        if self.headers.get("Authorization", "") == "Basic " + expected:
            return True
        self.reply(401, error_body("InsufficientPrivilege", "The credentials are not valid."),
                   [("WWW-Authenticate", 'Basic realm="bmcsim"')])
        return False

    def do_GET(self):
        if not self.authorized():
            return
        body = self.server.mockup.get(self.path_only())
        if body is None:
            self.reply(404, error_body("ResourceMissingAtURI", "No resource at " + self.path_only()))
        else:
            self.reply(200, body)

    def do_PATCH(self):
        length = int(self.headers.get("Content-Length", "0"))
        raw = self.rfile.read(length) if length > 0 else b""
        if not self.authorized():
            return
        mockup = self.server.mockup
        path = self.path_only().rstrip("/")
        if path not in mockup.settings:
            self.reply(405, error_body("OperationNotAllowed", "PATCH is not allowed on " + path))
            return
        try:
            body = json.loads(raw.decode())
        except ValueError:
            self.reply(400, error_body("MalformedJSON", "The request body is not valid JSON."))
            return
        attributes = body.get("Attributes") if isinstance(body, dict) else None
        if not isinstance(attributes, dict) or set(body) != {"Attributes"}:
            self.reply(400, error_body("PropertyUnknown", "Only Attributes may be changed."))
            return
        current = mockup.get(mockup.settings[path])["Attributes"]
        for name, value in attributes.items():
            if name not in current:
                self.reply(400, error_body("PropertyUnknown", "The attribute %s is not known." % name))
                return
            if type(value) is not type(current[name]):
                self.reply(400, error_body("PropertyValueTypeError",
                                           "The value of %s has the wrong type." % name))
                return
        with open(self.server.record, "a") as f:
            f.write(json.dumps({"path": path, "body": body}) + "\n")
        pending = mockup.get(path)
        pending["Attributes"].update(attributes)
        mockup.overrides[path] = pending
        self.reply(200, pending)

    def refuse(self):
        if self.authorized():
            self.reply(405, error_body("OperationNotAllowed", "Method not allowed."))

    do_POST = refuse
    do_PUT = refuse
    do_DELETE = refuse


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--mockup", required=True)
    p.add_argument("--cert", required=True)
    p.add_argument("--key", required=True)
    p.add_argument("--user", default="admin")
    p.add_argument("--password", default="secret")
    p.add_argument("--record", required=True)
    p.add_argument("--port-file", required=True)
    a = p.parse_args()
    server = HTTPServer(("127.0.0.1", 0), Handler)
    server.mockup = Mockup(a.mockup)
    server.user = a.user
    server.password = a.password
    server.record = a.record
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(a.cert, a.key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    open(a.record, "a").close()
    tmp = a.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d\n" % server.server_address[1])
    os.rename(tmp, a.port_file)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
