#!/usr/bin/env bash
# A private Dovecot POP3 server for the mail tests, on 127.0.0.1 and an unprivileged port.
#   dovecot_ctl.sh start DIR   starts the server on fresh, empty mailboxes and writes its
#                              port to DIR/port. Users "karvo", "box1".."box4" and "suite"
#                              have the password "secret", "spaced" has "my secret pass".
#   dovecot_ctl.sh fill DIR USER N   replaces USER's maildir with one of N new messages
#   dovecot_ctl.sh stop DIR    stops the server started in DIR and removes its files
# The server's files are in DIR/srv: dovecot.conf, dovecot.log, mail/USER (maildirs).
set -euo pipefail
cmd=${1:?start, fill or stop}
dir=${2:?directory}
srv="$dir/srv"

stop() {
  if [ -f "$dir/dovecot.pid" ]; then
    pid=$(cat "$dir/dovecot.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
    rm -f "$dir/dovecot.pid"
  fi
  if [ -L "$srv" ]; then
    rm -rf "$(readlink "$srv")"
  fi
  rm -rf "$srv" "$dir/port"
}

port_answers() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

mail_owner() {
  # The mailbox belongs to an unprivileged uid: Dovecot refuses mail access as root.
  if [ "$(id -u)" -eq 0 ]; then
    echo "$(id -u nobody):$(id -g nobody)"
  else
    echo "$(id -u):$(id -g)"
  fi
}

# The server's unprivileged processes must reach its files; when a private
# directory above DIR keeps them out, the files live in /tmp and DIR/srv links there.
make_srv() {
  mkdir -p "$dir"
  if [ "$(id -u)" -eq 0 ] && ! runuser -u nobody -- test -x "$dir" 2>/dev/null; then
    local real
    real=$(mktemp -d /tmp/karvo-dovecot.XXXXXX)
    ln -s "$real" "$srv"
  else
    mkdir -p "$srv"
  fi
  chmod 755 "$srv/"
}

fill() {
  local user=$1 count=$2 box="$srv/mail/$1"
  rm -rf "$box"
  mkdir -p "$box/new" "$box/cur" "$box/tmp"
  for i in $(seq 1 "$count"); do
    printf 'From: sender%d@example.org\r\nSubject: message %d\r\n\r\nBody %d\r\n' \
      "$i" "$i" "$i" >"$box/new/1000000$i.M${i}P1.karvo"
  done
  chown -R "$(mail_owner)" "$box"
  chmod -R a+rwX "$box"
}

write_config() {
  local port=$1 uid gid real
  # The unprivileged processes see the real path, not the link inside DIR.
  real=$(readlink -f "$srv")
  uid=$(mail_owner | cut -d: -f1)
  gid=$(mail_owner | cut -d: -f2)
  # Every start begins with empty mailboxes and a fresh server state.
  rm -rf "$srv/mail" "$srv/run" "$srv/state"
  mkdir -p "$srv/mail" "$srv/run" "$srv/state"
  cat >"$srv/dovecot.conf" <<CONF
protocols = pop3
listen = 127.0.0.1
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain
# A wrong password in a test need not cost the default delay.
auth_failure_delay = 0
base_dir = $real/run
state_dir = $real/state
log_path = $real/dovecot.log
mail_location = maildir:$real/mail/%u
pop3_uidl_format = %f
first_valid_uid = $uid
last_valid_uid = $uid
passdb {
  driver = passwd-file
  args = scheme=PLAIN $real/users
}
userdb {
  driver = static
  args = uid=$uid gid=$gid home=$real/mail/.home/%u
}
service pop3-login {
  chroot =
  inet_listener pop3 {
    address = 127.0.0.1
    port = $port
  }
  inet_listener pop3s {
    port = 0
  }
}
service anvil {
  chroot =
}
CONF
  printf 'spaced:{PLAIN}my secret pass\n' >"$srv/users"
  for u in karvo box1 box2 box3 box4 suite; do
    printf '%s:{PLAIN}secret\n' "$u" >>"$srv/users"
  done
  chmod 644 "$srv/users"
  for u in karvo spaced box1 box2 box3 box4 suite; do
    mkdir -p "$srv/mail/$u/new" "$srv/mail/$u/cur" "$srv/mail/$u/tmp" "$srv/mail/.home/$u"
  done
  chown -R "$uid:$gid" "$srv/mail"
  chmod -R a+rwX "$srv/mail"
  if [ "$(id -u)" -ne 0 ]; then
    # Without root the server cannot change to its own service users.
    printf 'default_internal_user = %s\ndefault_internal_group = %s\ndefault_login_user = %s\n' \
      "$(id -un)" "$(id -gn)" "$(id -un)" >>"$srv/dovecot.conf"
  fi
}

case "$cmd" in
  start)
    stop
    make_srv
    for _ in 1 2 3 4 5; do
      port=$((20000 + RANDOM % 20000))
      port_answers "$port" && continue
      write_config "$port"
      : >"$srv/dovecot.log"
      dovecot -F -c "$(readlink -f "$srv")/dovecot.conf" </dev/null >>"$srv/dovecot.out" 2>&1 &
      echo $! >"$dir/dovecot.pid"
      for _ in $(seq 1 200); do
        if port_answers "$port"; then
          echo "$port" >"$dir/port"
          exit 0
        fi
        kill -0 "$(cat "$dir/dovecot.pid")" 2>/dev/null || break
        sleep 0.05
      done
      kill "$(cat "$dir/dovecot.pid")" 2>/dev/null || true
      rm -f "$dir/dovecot.pid"
    done
    echo "dovecot_ctl: could not start Dovecot (see $srv/dovecot.out, $srv/dovecot.log)" >&2
    exit 1
    ;;
  fill)
    fill "${3:?user}" "${4:?count}"
    ;;
  stop)
    stop
    ;;
  *)
    echo "usage: $0 start|fill|stop DIR" >&2
    exit 2
    ;;
esac
